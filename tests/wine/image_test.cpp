// The built executable read as a file: what it imports, what it exports, what it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support.h"

namespace {

class Image : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream file(support::ShippedProgram().c_str(), std::ios::binary);
        ASSERT_TRUE(file.good());
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        ASSERT_GT(bytes_.size(), sizeof(IMAGE_DOS_HEADER));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data());
        ASSERT_EQ(IMAGE_DOS_SIGNATURE, dos->e_magic);
        nt_ = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes_.data() + dos->e_lfanew);
        ASSERT_EQ(IMAGE_NT_SIGNATURE, nt_->Signature);
    }

    // The file offset of a relative virtual address, through the section table.
    const char* At(DWORD rva) const {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
        for (int i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress &&
                rva < section->VirtualAddress + section->SizeOfRawData)
                return bytes_.data() + section->PointerToRawData + (rva - section->VirtualAddress);
        }
        return nullptr;
    }
    const IMAGE_DATA_DIRECTORY& Directory(int index) const {
        return nt_->OptionalHeader.DataDirectory[index];
    }

    std::vector<char> bytes_;
    const IMAGE_NT_HEADERS32* nt_ = nullptr;
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

TEST_F(Image, IsAThirtyTwoBitWindowsProgram) {
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt_->FileHeader.Machine);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, nt_->OptionalHeader.Subsystem);
    EXPECT_NE(0u, nt_->OptionalHeader.AddressOfEntryPoint);
    EXPECT_EQ(0u, Directory(IMAGE_DIRECTORY_ENTRY_TLS).Size);  // no runtime, no thread-locals
}

// The program's budget: everything it does in 30 KB.
TEST_F(Image, IsAtMostThirtyKilobytes) { EXPECT_LE(bytes_.size(), 30720u); }

// What the loader reads of a program file to decide its mitigations.
struct Mitigations {
    WORD machine = 0;
    WORD characteristics = 0;
    DWORD relocations = 0;  // the base relocation directory's size
};

Mitigations MitigationsOf(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Mitigations found;
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return found;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    const char* nt = bytes.data() + dos->e_lfanew;
    found.machine = reinterpret_cast<const IMAGE_NT_HEADERS32*>(nt)->FileHeader.Machine;
    if (found.machine == IMAGE_FILE_MACHINE_AMD64) {
        const auto& header = reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader;
        found.characteristics = header.DllCharacteristics;
        found.relocations = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size;
    } else {
        const auto& header = reinterpret_cast<const IMAGE_NT_HEADERS32*>(nt)->OptionalHeader;
        found.characteristics = header.DllCharacteristics;
        found.relocations = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size;
    }
    return found;
}

// Both builds ask for a randomised base, which is no use without the relocations to move to
// it, for data that is never run, and for no Remote Desktop shims; the x86-64 one for the
// whole address space to randomise in as well.
TEST(Images, AskForThePlatformsMitigationsAndKeepTheirRelocations) {
    const WORD kAlways = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE |
                         IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
                         IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE;
    const Mitigations i686 = MitigationsOf(support::ShippedProgram());
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, i686.machine);
    EXPECT_EQ(kAlways, i686.characteristics & kAlways);
    EXPECT_GT(i686.relocations, 0u);
    const Mitigations x64 = MitigationsOf(VORKALUN_X64_PROGRAM);
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, x64.machine);
    EXPECT_EQ(kAlways | IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA,
              x64.characteristics & (kAlways | IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA));
    EXPECT_GT(x64.relocations, 0u);
}

TEST_F(Image, ImportsFromSystemDllsOnly) {
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll",
                                              "advapi32.dll", "shell32.dll"};
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        At(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
    ASSERT_NE(nullptr, import);
    std::vector<std::string> seen;
    for (; import->Name != 0; ++import) seen.push_back(Lower(At(import->Name)));
    for (const std::string& dll : seen)
        EXPECT_NE(allowed.end(), std::find(allowed.begin(), allowed.end(), dll)) << dll;
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), "kernel32.dll"));
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), "user32.dll"));
}

// What Windows XP or Vista lacks is looked up at run time: imported, it would keep the program
// from loading there at all.
TEST_F(Image, ImportsNothingThatOlderWindowsLacks) {
    const std::vector<std::string> newer = {
        "ChangeWindowMessageFilterEx",   "ChangeWindowMessageFilter", "SetProcessDPIAware",
        "SetProcessDpiAwarenessContext", "GetDpiForSystem",           "GetDpiForWindow"};
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        At(Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
    ASSERT_NE(nullptr, import);
    int functions = 0;
    for (; import->Name != 0; ++import) {
        for (const auto* name =
                 reinterpret_cast<const IMAGE_THUNK_DATA32*>(At(import->OriginalFirstThunk));
             name->u1.AddressOfData != 0; ++name, ++functions) {
            if (IMAGE_SNAP_BY_ORDINAL32(name->u1.Ordinal)) continue;
            const std::string function =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(At(name->u1.AddressOfData))->Name;
            EXPECT_EQ(newer.end(), std::find(newer.begin(), newer.end(), function)) << function;
        }
    }
    EXPECT_GT(functions, 50);  // the names were found at all
}

TEST_F(Image, ExportsItsWindowProcedureUnderItsPlainName) {
    const IMAGE_DATA_DIRECTORY& directory = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(At(directory.VirtualAddress));
    ASSERT_NE(nullptr, exports);
    ASSERT_EQ(1u, exports->NumberOfNames);
    const auto* names = reinterpret_cast<const DWORD*>(At(exports->AddressOfNames));
    EXPECT_STREQ("WndProc", At(names[0]));

    // The name leads to code, not to a forwarder string inside the export directory.
    const auto* ordinals = reinterpret_cast<const WORD*>(At(exports->AddressOfNameOrdinals));
    const auto* functions = reinterpret_cast<const DWORD*>(At(exports->AddressOfFunctions));
    const DWORD target = functions[ordinals[0]];
    EXPECT_FALSE(target >= directory.VirtualAddress &&
                 target < directory.VirtualAddress + directory.Size);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
    bool inCode = false;
    for (int i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section)
        if ((section->Characteristics & IMAGE_SCN_MEM_EXECUTE) &&
            target >= section->VirtualAddress &&
            target < section->VirtualAddress + section->Misc.VirtualSize)
            inCode = true;
    EXPECT_TRUE(inCode);
}

}  // namespace
