// The resources inside the built executable: pictures, menu and version, read as the platform
// reads them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "support.h"

namespace {

// The directory records of icon and cursor groups, as they are stored in a module.
#pragma pack(push, 2)
struct GroupEntry {
    union {
        struct {
            BYTE width, height, colours, reserved;
        } icon;
        struct {
            WORD width, height;  // a cursor's height counts the mask as well
        } cursor;
    };
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupDirectory {
    WORD reserved;
    WORD type;  // 1 for icons, 2 for cursors
    WORD count;
    GroupEntry entries[1];
};
#pragma pack(pop)

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        // As an image resource, so that a 64-bit test can read the 32-bit file as well.
        module_ = LoadLibraryExW(support::ShippedProgram().c_str(), NULL,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override { FreeLibrary(module_); }

    // Resource types are numbers; the narrow call takes them as they are.
    const void* Data(LPCSTR type, int id, DWORD* size = nullptr) const {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        if (found == NULL) return nullptr;
        if (size) *size = SizeofResource(module_, found);
        return LockResource(LoadResource(module_, found));
    }
    // The one image of an icon or cursor group, with its directory entry.
    const BITMAPINFOHEADER* OnlyImage(LPCSTR groupType, LPCSTR imageType, int id, GroupEntry* entry,
                                      POINT* hotSpot = nullptr) const {
        const auto* group = static_cast<const GroupDirectory*>(Data(groupType, id));
        if (group == nullptr || group->count != 1) return nullptr;
        *entry = group->entries[0];
        const BYTE* image = static_cast<const BYTE*>(Data(imageType, entry->id));
        if (image == nullptr) return nullptr;
        if (hotSpot) {  // a cursor image begins with its hot spot
            const WORD* spot = reinterpret_cast<const WORD*>(image);
            *hotSpot = {spot[0], spot[1]};
            image += 2 * sizeof(WORD);
        }
        return reinterpret_cast<const BITMAPINFOHEADER*>(image);
    }

    HMODULE module_ = NULL;
};

TEST_F(Resources, IconsAreThirtyTwoSquareInTheirColourCounts) {
    const struct {
        int id;
        int colours;
        int bits;
    } kIcons[] = {{IDI_MAIN, 16, 4}, {IDI_TRAY, 2, 1}};
    for (const auto& expected : kIcons) {
        SCOPED_TRACE(expected.id);
        GroupEntry entry = {};
        const BITMAPINFOHEADER* image = OnlyImage(RT_GROUP_ICON, RT_ICON, expected.id, &entry);
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(32, entry.icon.width);
        EXPECT_EQ(32, entry.icon.height);
        EXPECT_EQ(expected.colours, entry.icon.colours);
        EXPECT_EQ(expected.bits, entry.bitCount);
        EXPECT_EQ(32, image->biWidth);
        EXPECT_EQ(64, image->biHeight);  // the colours and the transparency mask
        EXPECT_EQ(expected.bits, image->biBitCount);

        HICON icon = static_cast<HICON>(
            LoadImageW(module_, MAKEINTRESOURCEW(expected.id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
        ASSERT_NE(nullptr, icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        EXPECT_TRUE(info.fIcon);
        // A two-colour icon loads as a monochrome one: its picture and mask share one bitmap.
        const bool monochrome = expected.bits == 1;
        EXPECT_EQ(monochrome, info.hbmColor == NULL);
        BITMAP mask = {};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(32, mask.bmWidth);
        EXPECT_EQ(monochrome ? 64 : 32, mask.bmHeight);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_F(Resources, CursorPointsWithItsFingertipAtThirteenNine) {
    GroupEntry entry = {};
    POINT hotSpot = {};
    const BITMAPINFOHEADER* image =
        OnlyImage(RT_GROUP_CURSOR, RT_CURSOR, IDC_FINGER, &entry, &hotSpot);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(32, entry.cursor.width);
    EXPECT_EQ(64, entry.cursor.height);
    // The group entry's bit count is not looked at: windres writes 1 into every cursor group
    // whatever the picture. The image's own header is what the platform draws.
    EXPECT_EQ(13, hotSpot.x);
    EXPECT_EQ(9, hotSpot.y);
    EXPECT_EQ(32, image->biWidth);
    EXPECT_EQ(4, image->biBitCount);

    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageW(module_, MAKEINTRESOURCEW(IDC_FINGER), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    ASSERT_NE(nullptr, cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_NE(nullptr, info.hbmColor);  // loaded in colour
    EXPECT_EQ(13u, info.xHotspot);
    EXPECT_EQ(9u, info.yHotspot);
    // The hot spot is on the picture, not on a transparent pixel beside it.
    HDC context = CreateCompatibleDC(NULL);
    HGDIOBJ previous = SelectObject(context, info.hbmMask);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(context, 13, 9));
    SelectObject(context, previous);
    DeleteDC(context);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyCursor(cursor);
}

TEST_F(Resources, LogoIsAHundredSquareInTwoHundredFiftySixColoursOnBlack) {
    DWORD size = 0;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(Data(RT_BITMAP, IDB_LOGO, &size));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(100, header->biWidth);
    EXPECT_EQ(100, header->biHeight);  // bottom-up
    EXPECT_EQ(8, header->biBitCount);
    // Run-length encoded, at about a third of the raw size; the platform decodes it on loading.
    EXPECT_EQ(static_cast<DWORD>(BI_RLE8), header->biCompression);
    EXPECT_TRUE(header->biClrUsed == 0 || header->biClrUsed == 256);
    ASSERT_EQ(sizeof *header + 256 * sizeof(RGBQUAD) + header->biSizeImage, size);
    EXPECT_LT(header->biSizeImage, 100u * 100u / 2);

    HBITMAP logo = static_cast<HBITMAP>(
        LoadImageW(module_, MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, logo);
    DIBSECTION section = {};
    ASSERT_EQ(static_cast<int>(sizeof section), GetObjectW(logo, sizeof section, &section));
    EXPECT_EQ(100, section.dsBm.bmWidth);
    EXPECT_EQ(100, section.dsBm.bmHeight);
    ASSERT_EQ(8, section.dsBm.bmBitsPixel);
    // The decoded indices, bottom-up, looked up in the resource's own palette.
    const auto* palette = reinterpret_cast<const RGBQUAD*>(header + 1);
    const BYTE* pixels = static_cast<const BYTE*>(section.dsBm.bmBits);
    auto colour = [&](int x, int y) {
        const RGBQUAD& c = palette[pixels[(99 - y) * section.dsBm.bmWidthBytes + x]];
        return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
    };
    EXPECT_EQ(RGB(0, 0, 0), colour(1, 1));
    EXPECT_EQ(RGB(0, 0, 0), colour(0, 0));
    EXPECT_EQ(RGB(0, 0, 0), colour(99, 0));
    EXPECT_NE(RGB(0, 0, 0), colour(50, 37));  // the middle of the speech bubble
    DeleteObject(logo);
}

TEST_F(Resources, TrayMenuIsOnePopupWithTheFourEntries) {
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDM_TRAY));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    wchar_t text[128] = L"";
    GetMenuStringW(menu, 0, text, 128, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(L"VORKALUN"), text);

    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, popup);
    const struct {
        UINT id;
        const wchar_t* text;
    } kEntries[] = {{ID_SITE, L"http://vorkalun.example.org/"},
                    {ID_SETTINGS, L"Свойства"},
                    {0, nullptr},
                    {ID_EXIT, L"Выход"}};
    ASSERT_EQ(4, GetMenuItemCount(popup));
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = text;
        item.cch = 128;
        text[0] = 0;
        ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &item));
        EXPECT_EQ(nullptr, item.hSubMenu);
        if (kEntries[i].text == nullptr) {
            EXPECT_TRUE(item.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_FALSE(item.fType & MFT_SEPARATOR);
        EXPECT_EQ(kEntries[i].id, item.wID);
        EXPECT_EQ(std::wstring(kEntries[i].text), text);
    }
    DestroyMenu(menu);
}

std::wstring VersionText(const std::vector<BYTE>& block, const wchar_t* path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length) || length == 0) return L"";
    return static_cast<const wchar_t*>(value);
}

TEST(Version, IsOneSixtyFromKordaxSoftware) {
    const std::wstring path = support::ShippedProgram();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(60, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(60, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    // The texts are found through the translation the record itself names.
    const WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(const_cast<WORD**>(&translation)),
                               &length));
    ASSERT_GE(length, 4u);
    wchar_t prefix[64];
    wsprintfW(prefix, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const std::wstring base = prefix;
    EXPECT_EQ(L"1.60", VersionText(block, (base + L"FileVersion").c_str()));
    EXPECT_EQ(L"1.60", VersionText(block, (base + L"ProductVersion").c_str()));
    EXPECT_EQ(L"KoRDaX Software", VersionText(block, (base + L"CompanyName").c_str()));
    EXPECT_EQ(L"VORKALUN", VersionText(block, (base + L"ProductName").c_str()));
    EXPECT_EQ(L"Фильтруй базар !!!", VersionText(block, (base + L"FileDescription").c_str()));
}

}  // namespace
