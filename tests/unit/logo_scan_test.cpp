// The logo's size at a DPI, and its run scan over pictures drawn as text: '#' is a key pixel,
// '.' any other.
#include "shell/logo_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using shell::KeyRun;

struct Picture {
    std::vector<std::string> rows;
    std::vector<KeyRun> runs;
};

bool IsKey(void* context, int x, int y) {
    const Picture* picture = static_cast<const Picture*>(context);
    return picture->rows.at(y).at(x) == '#';
}

void Take(void* context, const KeyRun& run) { static_cast<Picture*>(context)->runs.push_back(run); }

std::vector<KeyRun> Scan(const std::vector<std::string>& rows) {
    Picture picture = {rows, {}};
    shell::ScanKeyRuns(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), IsKey, Take,
                       &picture);
    return picture.runs;
}

std::string Show(const std::vector<KeyRun>& runs) {
    std::string text;
    for (const KeyRun& run : runs)
        text += "(" + std::to_string(run.left) + "," + std::to_string(run.right) + " y" +
                std::to_string(run.y) + ")";
    return text;
}

struct OneRow {
    const char* row;
    const char* runs;  // as Show prints them, for row 0
};

const OneRow kRows[] = {
    {"..........", ""},
    {"##########", "(0,10 y0)"},
    {".#........", "(1,2 y0)"},
    {"#........#", "(0,1 y0)(9,10 y0)"},
    {"##......##", "(0,2 y0)(8,10 y0)"},
    {".#.#.#.#.#", "(1,2 y0)(3,4 y0)(5,6 y0)(7,8 y0)(9,10 y0)"},
    {"..####..#.", "(2,6 y0)(8,9 y0)"},
    {"#.........", "(0,1 y0)"},
    {".........#", "(9,10 y0)"},
    {"###.......", "(0,3 y0)"},
};

TEST(LogoScan, FindsEveryMaximalRunOfARow) {
    for (const OneRow& c : kRows) EXPECT_EQ(c.runs, Show(Scan({c.row}))) << c.row;
}

TEST(LogoScan, StartsEveryRowAfreshAndKeepsRowOrder) {
    // A run open at a row's end closes there; the next row's runs count from column 0 again.
    EXPECT_EQ("(6,8 y0)(0,3 y1)(2,3 y2)(5,8 y2)(0,8 y3)",
              Show(Scan({"......##", "###.....", "..#..###", "########"})));
    EXPECT_EQ("(7,8 y0)(0,1 y1)", Show(Scan({".......#", "#......."})));
}

TEST(LogoScan, CoversTheWholeLogoSquare) {
    std::vector<std::string> rows(shell::kLogoSize, std::string(shell::kLogoSize, '.'));
    rows[0][0] = rows[99][99] = rows[1][1] = '#';
    rows[50] = std::string(shell::kLogoSize, '#');
    EXPECT_EQ("(0,1 y0)(1,2 y1)(0,100 y50)(99,100 y99)", Show(Scan(rows)));
}

TEST(LogoScan, LeavesAPictureWithoutKeyPixelsWhole) {
    EXPECT_EQ("", Show(Scan({"....", "....", "...."})));
}

TEST(LogoSideAt, KeepsTheHundredPixelsLogical) {
    const struct {
        int dpi, side;
    } kSides[] = {{96, 100},  {120, 125}, {144, 150}, {168, 175}, {192, 200},
                  {288, 300}, {72, 75},   {0, 100},   {-1, 100}};  // the last two: no DPI known
    for (const auto& c : kSides) EXPECT_EQ(c.side, shell::LogoSideAt(c.dpi)) << c.dpi;
}

}  // namespace
