#!/usr/bin/env python3
"""`make bench`: what the resident program costs, measured under Wine on a private display.

    run.py BUILD_DIR ARCH

ARCH is win32 (the shipped 32-bit program, in 32-bit Wine) or win64 (its x86-64 build, for
machines that cannot run 32-bit code); figures of the two are not comparable with each other.
Runs, in one Wine session of its own (BUILD_DIR/ARCH/bench-session, Cyrillic prefix):
  1. the program's sweep against the floor of a sweep's platform calls and against the bare
     enumeration of the windows, interleaved, on two synthetic desktops built by another
     process (sweep_bench.exe, bench_helper.exe desktop);
  2. the real program's relabel latency, seen by a probe process (bench_helper.exe latency),
     with its window-event watch and, for comparison, in a build that has only its timer; and
     what a pass of its sweep costs as shipped, in slices, against the floor's calls made in one
     go and in the same slices (bench_helper.exe passes, bench_helper.exe floor);
  3. the real program's CPU time and memory over 30 s, read from Linux's /proc: Wine's own
     counters report neither another process's times nor its private bytes;
  4. the shipped 32-bit executable's size, sections and imports, read from the file.
Writes bench/results/latest-ARCH.json and latest-ARCH.md, puts the table into docs/costs.md and
prints it.
Stops everything it started, also after a failure.
"""

import datetime
import json
import os
import platform
import re
import subprocess
import sys
import time

import footprint
import report
import stats

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
RESULTS = os.path.join(HERE, "results")

# name, helper layout, top-level windows, descendants of each, steady pairs, relabelling pairs
DESKTOPS = [
    ("20x50", "buttons", 20, 50, 200, 10),
    ("10x1000", "mixed", 10, 1000, 60, 8),
]
RESIDENT_SECONDS = 30
LATENCY_SAMPLES = 200
PASS_SECONDS = 20
TICK_MS = 100


def wine_for(arch):
    """The loader and the environment of a Wine prefix of the architecture, as
    scripts/wine-env.sh sets them: Debian's `wine` picks the 32-bit loader whenever it is
    installed, so 64-bit prefixes are run by the 64-bit loader itself."""
    if arch == "win64":
        return "/usr/lib/wine/wine64", {"WINEARCH": "win64", "WINELOADER": "/usr/lib/wine/wine64"}
    return "wine", {"WINEARCH": "win32"}


class Session:
    """The Wine session and every process started in it, all stopped on the way out."""

    def __init__(self, build, arch):
        self.arch = arch
        self.bin = os.path.join(build, arch, "bin")
        self.dir = os.path.join(build, arch, "bench-session")
        self.script = os.path.join(ROOT, "scripts", "wine-session.sh")
        self.processes = []

    def __enter__(self):
        subprocess.run([self.script, "start", self.dir, self.arch, "ru"], check=True)
        with open(os.path.join(self.dir, "display")) as f:
            display = f.read().strip()
        self.prefix = os.path.join(self.dir, "prefix-ru")
        self.loader, wine_env = wine_for(self.arch)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, LANG="ru_RU.UTF-8", DISPLAY=display,
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", **wine_env)
        if self.arch == "win32":
            self.env.pop("WINELOADER", None)
        return self

    def __exit__(self, *exc):
        for process in self.processes:
            if process.poll() is None:
                process.terminate()  # by its own pid: Wine runs each program as one process
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        subprocess.run([self.script, "stop", self.dir])

    def start(self, program, *args, cpus=None):
        """A Windows program of the build, on the given CPUs if any; its Linux pid is the
        Windows process itself."""
        pin = (lambda: os.sched_setaffinity(0, cpus)) if cpus else None
        process = subprocess.Popen([self.loader, os.path.join(self.bin, program), *map(str, args)],
                                   env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   text=True, preexec_fn=pin)
        self.processes.append(process)
        return process

    def run(self, program, *args, cpus=None):
        process = self.start(program, *args, cpus=cpus)
        out, _ = process.communicate(timeout=300)
        return out.split("\n")

    def desktop(self, layout, tops, per_top, cpus=None):
        """Builds a synthetic desktop in a process of its own; returns it once it stands."""
        process = self.start("bench_helper.exe", "desktop", layout, tops, per_top, cpus=cpus)
        ready = process.stdout.readline().split()
        if not ready or ready[0] != "ready":
            raise RuntimeError(f"the {layout} desktop did not come up")
        return process

    def close(self, window_class, *processes):
        """Asks every window of the class to close, and waits for their processes to end."""
        self.run("bench_helper.exe", "close", window_class)
        for process in processes:
            process.wait(30)

    def wineserver_pid(self):
        """The server of this session's prefix; others may run beside it."""
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/comm") as f:
                    if not f.read().startswith("wineserver"):
                        continue
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if f"WINEPREFIX={self.prefix}".encode() in f.read().split(b"\0"):
                        return int(pid)
            except OSError:
                pass
        raise RuntimeError("no wineserver for the session's prefix")


def progress(text):
    print(f"bench: {text}", flush=True)


def sweep_cost(session):
    """Sweep and floor pairs on each desktop, with nothing else running in the session.

    Every platform call is a round trip to the wineserver. Across two cores each one also waits
    for the other core to wake, which on a virtual machine makes passes vary threefold from one
    to the next; with the server, the desktop and the loops on one core, passes repeat to within
    a few percent and the floor is as low as it gets, which makes the ratio the strictest."""
    cpus = {max(os.sched_getaffinity(0))}
    server = session.wineserver_pid()
    shared = os.sched_getaffinity(server)
    os.sched_setaffinity(server, cpus)
    try:
        return {desktop[0]: sweep_pairs(session, *desktop, cpus) for desktop in DESKTOPS}
    finally:
        os.sched_setaffinity(server, shared)


def sweep_pairs(session, name, layout, tops, per_top, steady, relabel, cpus):
    progress(f"sweep and floor on the {name} desktop")
    desktop = session.desktop(layout, tops, per_top, cpus)
    lines = session.run("sweep_bench.exe", steady, relabel, cpus=cpus)
    session.close("BenchHost", desktop)
    rows = [line.split() for line in lines if line]
    census = next(r for r in rows if r[0] == "census")
    pairs = {kind: [(float(r[1]), float(r[2])) for r in rows if r[0] == kind]
             for kind in ("steady", "relabel")}
    relabelled = [int(r[3]) for r in rows if r[0] == "relabel"]
    # The bare enumeration, timed beside each steady pair: the floor of a sweep that knows which
    # windows are no buttons.
    enumeration = [(float(r[1]), float(r[3])) for r in rows if r[0] == "steady" and len(r) > 3]
    steady = pair_summary(pairs["steady"])
    if enumeration:
        steady["enumeration_ms"] = stats.spread([e for _, e in enumeration])
        steady["ratio_to_enumeration"] = stats.spread([s / e for s, e in enumeration])
    return {
        "windows": int(census[1]),
        "buttons": int(census[2]),
        "standard_captions": int(census[3]),
        "steady": steady,
        "relabel": dict(pair_summary(pairs["relabel"]), relabelled=min(relabelled)),
    }


def pair_summary(pairs):
    # Each pair ran back to back, so its ratio is free of the drift between pairs.
    return {
        "sweep_ms": stats.spread([s for s, _ in pairs]),
        "floor_ms": stats.spread([f for _, f in pairs]),
        "ratio": stats.spread([s / f for s, f in pairs]),
    }


def cpu_seconds(pid):
    """Time on a CPU of a Linux process, all its threads, to the nanosecond: the scheduler's
    own account, where user and system times are only sampled at each clock tick."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass  # a thread that has just ended
    return total / 1e9


def memory(pid):
    """Working set (resident) and private bytes (resident pages no other process shares)."""
    with open(f"/proc/{pid}/smaps_rollup") as f:
        kb = {m[0]: int(m[1]) for m in re.findall(r"^(\w+):\s+(\d+) kB", f.read(), re.M)}
    return {"working_set_kb": kb["Rss"], "private_kb": kb["Private_Clean"] + kb["Private_Dirty"]}


def resident_cost(session, program, idle, seconds):
    """Shares of one core over the interval: the program's own, and the session's wineserver,
    which does the other half of every platform call the program makes."""
    pids = {"program": program.pid, "wineserver": session.wineserver_pid(), "idle": idle.pid}
    before = {k: cpu_seconds(p) for k, p in pids.items()}
    start = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    cpu = {k: round(100 * (cpu_seconds(p) - before[k]) / elapsed, 2) for k, p in pids.items()}
    return {
        "seconds": round(elapsed, 1),
        "cpu_percent": cpu["program"],
        "wineserver_cpu_percent": cpu["wineserver"],
        "idle_process_cpu_percent": cpu["idle"],
        "memory": memory(program.pid),
        "idle_process_memory": memory(idle.pid),
    }


def relabel_latency(session, seed):
    lines = [line for line in session.run("bench_helper.exe", "latency", LATENCY_SAMPLES, seed)
             if line]
    lost = lines.count("lost")
    return stats.latency([float(x) for x in lines if x != "lost"], lost)


def pass_lengths(session, program):
    """How long the sweep's passes take, seen by a probe button that refuses every text: the
    gaps between its relabels, in ms and in ticks. And what a pass costs as shipped, sliced:
    the CPU time of the program and of the wineserver meanwhile, at its rate over the mean
    pass, to set against the floor's pass (whose time is the CPU of both, on one core)."""
    pids = [program.pid, session.wineserver_pid()]
    before = sum(cpu_seconds(p) for p in pids)
    start = time.monotonic()
    gaps = [float(x) for x in session.run("bench_helper.exe", "passes", PASS_SECONDS) if x]
    rate = (sum(cpu_seconds(p) for p in pids) - before) / (time.monotonic() - start)
    if not gaps:
        return None
    return {"ms": stats.spread(gaps), "longest_ms": stats.rounded(max(gaps)), "tick_ms": TICK_MS,
            "cpu_ms_per_pass": stats.rounded(rate * sum(gaps) / len(gaps))}


def floor_in_slices(session):
    """The floor's calls made in the shipped program's slices and ticks: CPU time a pass, of
    the process and of the wineserver, measured as the program's is."""
    server = session.wineserver_pid()
    process = session.start("bench_helper.exe", "floor", PASS_SECONDS)
    before = [cpu_seconds(process.pid), cpu_seconds(server)]
    start = time.monotonic()
    time.sleep(PASS_SECONDS - 1)
    rate = (cpu_seconds(process.pid) + cpu_seconds(server) - sum(before)) / (
        time.monotonic() - start)
    out, _ = process.communicate(timeout=60)
    passes = int(out.split()[0])
    return stats.rounded(1000 * rate * PASS_SECONDS / passes) if passes else None


def resident_program(session):
    """The real program on a quiet desktop, then among the 20 x 50 desktop's buttons. Beside it
    an idle process with one window shows what any Wine process costs."""
    progress(f"the resident program on a quiet desktop: {RESIDENT_SECONDS} s, then latency")
    idle = session.desktop("buttons", 1, 0)
    program = session.start("vorkalun.exe")
    time.sleep(3)  # past the two seconds of the logo
    if program.poll() is not None:
        raise RuntimeError("vorkalun.exe did not stay up")
    results = {"quiet": resident_cost(session, program, idle, RESIDENT_SECONDS)}
    latency = {"quiet": relabel_latency(session, 1)}

    name, layout, tops, per_top, _, _ = DESKTOPS[0]
    progress(f"the resident program on the {name} desktop: {RESIDENT_SECONDS} s, then latency")
    desktop = session.desktop(layout, tops, per_top)
    time.sleep(1)  # its captions relabelled: the steady state
    results[name] = resident_cost(session, program, idle, RESIDENT_SECONDS)
    latency[name] = relabel_latency(session, 2)
    results[name]["passes"] = pass_lengths(session, program)

    session.close("VORKALUN", program)
    progress(f"the floor's calls in the program's slices, on the {name} desktop")
    results[name]["passes"]["floor_in_slices_ms"] = floor_in_slices(session)

    progress("the same latency with the timer alone, on the quiet desktop")
    session.close("BenchHost", desktop)
    timer_only = session.start("vorkalun_timer_only.exe")
    time.sleep(3)
    latency["quiet, timer alone"] = relabel_latency(session, 1)
    session.close("VORKALUN", timer_only)
    session.close("BenchHost", idle)
    return results, latency


def machine():
    cpu = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        memory_kb = int(f.readline().split()[1])
    os_name = platform.system()
    if os.path.exists("/etc/os-release"):
        with open("/etc/os-release") as f:
            os_name = dict(line.rstrip().split("=", 1) for line in f if "=" in line)[
                "PRETTY_NAME"].strip('"')
    wine = subprocess.run(["/usr/lib/wine/wine64", "--version"], capture_output=True,
                          text=True).stdout.strip()
    with open("/proc/loadavg") as f:
        load = float(f.read().split()[0])
    return {
        "cpu": cpu,
        "cores": os.cpu_count(),
        "memory_gb": round(memory_kb / 1024 / 1024, 1),
        "os": f"{os_name}, Linux {platform.release()}",
        "wine": wine,
        "load_at_start": load,
    }


def main(build, arch):
    build = os.path.abspath(build)
    began = time.monotonic()
    results = {
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "architecture": arch,
        "machine": machine(),
    }
    progress({"win32": "the shipped 32-bit program, in 32-bit Wine",
              "win64": "the program built for x86-64, in 64-bit Wine (not comparable with the "
                       "32-bit program's figures)"}[arch])
    with Session(build, arch) as session:
        # The shipped file, whichever build ran; the names of the DLLs it imports are the same
        # in a 64-bit prefix's system folder.
        results["footprint"] = footprint.read(os.path.join(build, "win32", "bin", "vorkalun.exe"),
                                              os.path.join(session.prefix, "drive_c", "windows",
                                                           "system32"))
        results["sweep"] = sweep_cost(session)
        results["resident"], results["latency"] = resident_program(session)
    results["seconds"] = round(time.monotonic() - began)

    os.makedirs(RESULTS, exist_ok=True)
    # One line for each innermost object or list keeps the file short enough to read.
    text = json.dumps(results, indent=1, ensure_ascii=False)
    text = re.sub(r"[{\[][^{}\[\]]*[}\]]", lambda m: " ".join(m.group().split()), text)
    with open(os.path.join(RESULTS, f"latest-{arch}.json"), "w") as f:
        f.write(text + "\n")
    table = report.markdown(results)
    with open(os.path.join(RESULTS, f"latest-{arch}.md"), "w") as f:
        f.write(table)
    show_in_readme(table, arch)
    print(table)


def show_in_readme(table, arch):
    """docs/costs.md carries the newest table of each architecture between two markers."""
    path = os.path.join(ROOT, "docs", "costs.md")
    begin, end = f"<!-- bench results {arch} -->\n", f"<!-- end of bench results {arch} -->"
    with open(path) as f:
        text = f.read()
    if begin not in text or end not in text:
        return
    head, rest = text.split(begin, 1)
    with open(path, "w") as f:
        f.write(head + begin + table + end + rest.split(end, 1)[1])


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in ("win32", "win64"):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
