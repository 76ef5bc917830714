// The resources inside the built executable: manifest, pictures, menu, dialog and version, read
// as the platform reads them.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00  // the activation context's queries; the program itself needs none
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <cwctype>
#include <iterator>
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
    // The images of an icon or cursor group in the group's order, each with its directory
    // entry; a cursor image begins with its hot spot.
    struct Image {
        GroupEntry entry;
        const BITMAPINFOHEADER* header;
        POINT hotSpot;
    };
    std::vector<Image> Images(LPCSTR groupType, LPCSTR imageType, int id) const {
        std::vector<Image> images;
        const auto* group = static_cast<const GroupDirectory*>(Data(groupType, id));
        for (int i = 0; group != nullptr && i < group->count; ++i) {
            Image image = {group->entries[i], nullptr, {}};
            const BYTE* bytes = static_cast<const BYTE*>(Data(imageType, image.entry.id));
            if (bytes != nullptr && groupType == RT_GROUP_CURSOR) {
                const WORD* spot = reinterpret_cast<const WORD*>(bytes);
                image.hotSpot = {spot[0], spot[1]};
                bytes += 2 * sizeof(WORD);
            }
            image.header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
            images.push_back(image);
        }
        return images;
    }

    // The settings dialog's template, a named resource.
    const BYTE* DialogTemplate() const {
        HRSRC found = FindResourceA(module_, "TABLE", RT_DIALOG);
        return found ? static_cast<const BYTE*>(LockResource(LoadResource(module_, found)))
                     : nullptr;
    }

    HMODULE module_ = NULL;
};

// Drawn at the sizes Windows shows them: 32 for the window, 16 in the notification area at
// 96 DPI and 24 at 144. The 32-pixel images come first.
TEST_F(Resources, IconsCarryThirtyTwoTwentyFourAndSixteenPixelImagesInTheirColourCounts) {
    const struct {
        int id;
        int colours;
        int bits;
    } kIcons[] = {{IDI_MAIN, 16, 4}, {IDI_TRAY, 2, 1}};
    const int kSizes[] = {32, 24, 16};
    for (const auto& expected : kIcons) {
        SCOPED_TRACE(expected.id);
        const std::vector<Image> images = Images(RT_GROUP_ICON, RT_ICON, expected.id);
        ASSERT_EQ(3u, images.size());
        for (int i = 0; i < 3; ++i) {
            const int size = kSizes[i];
            SCOPED_TRACE(size);
            const Image& image = images[i];
            ASSERT_NE(nullptr, image.header);
            EXPECT_EQ(size, image.entry.icon.width);
            EXPECT_EQ(size, image.entry.icon.height);
            EXPECT_EQ(expected.colours, image.entry.icon.colours);
            EXPECT_EQ(expected.bits, image.entry.bitCount);
            EXPECT_EQ(size, image.header->biWidth);
            EXPECT_EQ(2 * size, image.header->biHeight);  // the colours and the transparency mask
            EXPECT_EQ(expected.bits, image.header->biBitCount);

            HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(expected.id),
                                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(nullptr, icon);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            EXPECT_TRUE(info.fIcon);
            // A two-colour icon loads as a monochrome one: its picture and mask share one bitmap.
            const bool monochrome = expected.bits == 1;
            EXPECT_EQ(monochrome, info.hbmColor == NULL);
            BITMAP mask = {};
            GetObjectW(info.hbmMask, sizeof mask, &mask);
            EXPECT_EQ(size, mask.bmWidth);
            EXPECT_EQ(monochrome ? 2 * size : size, mask.bmHeight);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST_F(Resources, CursorPointsWithItsFingertipAtThirteenNine) {
    const std::vector<Image> images = Images(RT_GROUP_CURSOR, RT_CURSOR, IDC_FINGER);
    ASSERT_EQ(1u, images.size());
    const GroupEntry& entry = images[0].entry;
    const POINT hotSpot = images[0].hotSpot;
    const BITMAPINFOHEADER* image = images[0].header;
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

// The settings dialog's template as the dialog manager reads it: a DLGTEMPLATE, then one
// DLGITEMTEMPLATE per control, each on a four-byte boundary.
struct TemplateReader {
    const BYTE* at;
    template <typename T>
    T Take() {
        T value;
        memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    // A string, or 0xFFFF and an ordinal, given back as "#ordinal"; none is "".
    std::wstring Name() {
        if (*reinterpret_cast<const WORD*>(at) == 0xFFFF) {
            at += sizeof(WORD);
            return L"#" + std::to_wstring(Take<WORD>());
        }
        std::wstring text = reinterpret_cast<const wchar_t*>(at);
        at += (text.size() + 1) * sizeof(wchar_t);
        return text;
    }
    void Align(const BYTE* start) { at += (4 - (at - start) % 4) % 4; }
};

struct Control {
    int id;
    std::wstring kind;  // the class: #128 button, #129 edit, #130 static
    short x, y, cx, cy;
    std::wstring text;
    DWORD type;      // the style's low bits: SS_..., BS_... or ES_... of the control's kind
    DWORD required;  // further style bits it must have
    DWORD excluded;  // and must not have
};

const std::wstring kButton = L"#128", kEdit = L"#129", kStatic = L"#130";

// A control's class as the template names it, by the ordinal of a system class or by its name.
std::wstring KindOf(std::wstring name) {
    for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
    return name == L"BUTTON"   ? kButton
           : name == L"EDIT"   ? kEdit
           : name == L"STATIC" ? kStatic
                               : name;
}
const DWORD kChild = WS_CHILD | WS_VISIBLE;

std::vector<Control> ExpectedControls() {
    std::vector<Control> controls;
    // The grid: rows 0 to 5 on the left, 6 to 11 on the right, their texts set when it opens.
    for (int row = 0; row < 12; ++row) {
        const short left = row < 6 ? 0 : 210, y = static_cast<short>(10 + 20 * (row % 6));
        const short englishWidth = row == 8 ? 71 : 72;
        controls.push_back({IDC_RUSSIAN_CAPTION + row, kStatic, static_cast<short>(left + 5), y, 72,
                            12, L"", SS_LEFT, kChild, SS_NOTIFY});
        controls.push_back({IDC_ENGLISH_CAPTION + row, kStatic, static_cast<short>(left + 55), y,
                            englishWidth, 12, L"", SS_LEFT, kChild, SS_NOTIFY});
        // No automatic scrolling: a text is typed only as far as the field shows it.
        controls.push_back({IDC_REPLACEMENT + row, kEdit, static_cast<short>(left + 105), y, 72, 12,
                            L"", ES_LEFT, kChild | WS_BORDER | WS_TABSTOP,
                            ES_AUTOHSCROLL | ES_MULTILINE});
    }
    const Control kRest[] = {
        {-1, kStatic, 200, 2, 1, 156, L"", SS_ETCHEDFRAME, kChild, 0},
        {-1, kStatic, 2, 160, 396, 1, L"", SS_ETCHEDFRAME, kChild, 0},
        {-1, kStatic, 200, 165, 190, 40, L"", SS_ETCHEDFRAME, kChild, 0},
        {-1, kStatic, 205, 170, 180, 12, L"Посетите сайт спонсоров проекта", SS_CENTER, kChild,
         SS_NOTIFY},
        {ID_SITE, kStatic, 205, 180, 180, 20, L"vorkalun.example.org", SS_CENTER,
         kChild | SS_NOTIFY, 0},
        {IDC_AUTOSTART, kButton, 24, 165, 170, 12, L"Вставить в автозагрузку", BS_AUTOCHECKBOX,
         kChild | WS_TABSTOP, 0},
        {IDC_SHOW_LOGO, kButton, 24, 180, 170, 12, L"Показывать логотип при загрузке",
         BS_AUTOCHECKBOX, kChild | WS_TABSTOP, 0},
        {IDC_SHOW_TRAY, kButton, 24, 195, 170, 12, L"Показывать иконку в SysTray", BS_AUTOCHECKBOX,
         kChild | WS_TABSTOP, 0},
        {IDC_TABLE_OK, kButton, 130, 215, 50, 14, L"OK", BS_DEFPUSHBUTTON,
         kChild | BS_CENTER | WS_TABSTOP, 0},
        {IDC_TABLE_CANCEL, kButton, 220, 215, 50, 14, L"Cancel", BS_PUSHBUTTON,
         kChild | BS_CENTER | WS_TABSTOP, 0},
    };
    controls.insert(controls.end(), std::begin(kRest), std::end(kRest));
    return controls;
}

TEST_F(Resources, SettingsDialogIsFourHundredByTwoFortyInTheShellFontWithHelpInItsCaption) {
    const BYTE* start = DialogTemplate();
    ASSERT_NE(nullptr, start);
    TemplateReader read = {start};
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                 DS_SHELLFONT | DS_3DLOOK | DS_CONTEXTHELP),
              read.Take<DWORD>());
    EXPECT_EQ(0u, read.Take<DWORD>());  // no extended style
    EXPECT_EQ(46, read.Take<WORD>());
    EXPECT_EQ(0, read.Take<short>());
    EXPECT_EQ(0, read.Take<short>());
    EXPECT_EQ(400, read.Take<short>());
    EXPECT_EQ(240, read.Take<short>());
    EXPECT_EQ(L"", read.Name());  // no menu
    EXPECT_EQ(L"", read.Name());  // nor a class of its own
    EXPECT_EQ(L"Настрой по своеу вкусу :)))", read.Name());
    EXPECT_EQ(8, read.Take<WORD>());
    // Mapped by Windows to a TrueType face with Cyrillic on a Windows of any language.
    EXPECT_EQ(L"MS Shell Dlg", read.Name());
}

TEST_F(Resources, SettingsDialogHoldsTheGridAndItsTenControlsInTabOrder) {
    const BYTE* start = DialogTemplate();
    ASSERT_NE(nullptr, start);
    TemplateReader read = {start};
    read.at += 2 * sizeof(DWORD);
    const int count = read.Take<WORD>();
    read.at += 4 * sizeof(short);
    for (int i = 0; i < 3; ++i) read.Name();  // menu, class and caption
    read.at += sizeof(WORD);                  // the point size
    read.Name();                              // and the face

    const std::vector<Control> expected = ExpectedControls();
    ASSERT_EQ(expected.size(), static_cast<size_t>(count));
    for (const Control& want : expected) {
        SCOPED_TRACE(want.id);
        read.Align(start);
        const DWORD style = read.Take<DWORD>();
        EXPECT_EQ(0u, read.Take<DWORD>());  // no extended style
        EXPECT_EQ(want.x, read.Take<short>());
        EXPECT_EQ(want.y, read.Take<short>());
        EXPECT_EQ(want.cx, read.Take<short>());
        EXPECT_EQ(want.cy, read.Take<short>());
        EXPECT_EQ(want.id, read.Take<short>());
        EXPECT_EQ(want.kind, KindOf(read.Name()));
        EXPECT_EQ(want.text, read.Name());
        read.at += read.Take<WORD>();  // creation data: none expected, skipped all the same

        const DWORD typeMask = want.kind == kStatic ? SS_TYPEMASK : want.kind == kButton ? 0xF : 3;
        EXPECT_EQ(want.type, style & typeMask);
        EXPECT_EQ(want.required, style & want.required);
        EXPECT_EQ(0u, style & want.excluded);
    }
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

// The application manifest as Windows reads it before the program runs: an activation context
// made from the file's resource 1, and what the platform answers about it.
class Manifest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = support::ShippedProgram();
        ACTCTXW request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path_.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        context_ = CreateActCtxW(&request);
        ASSERT_NE(INVALID_HANDLE_VALUE, context_) << "error " << GetLastError();
    }
    void TearDown() override {
        if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
    }

    std::wstring path_;
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST_F(Manifest, RunsAsTheInvokerWithoutUiAccess) {
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    ASSERT_TRUE(QueryActCtxW(0, context_, NULL, RunlevelInformationInActivationContext, &level,
                             sizeof level, NULL));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, level.RunLevel);
    EXPECT_EQ(0u, level.UiAccess);
}

TEST_F(Manifest, KnowsWindowsVistaToEleven) {
    const GUID kSystems[] = {
        {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},  // Vista
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},  // 7
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},  // 8
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},  // 8.1
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},  // 10, 11
    };
    // The record as Windows 10 lays it out, each element with the highest version tested too;
    // the compiler's headers know an older form.
    struct {
        DWORD count;
        struct {
            GUID id;
            DWORD type;
            ULONGLONG maxVersionTested;
        } elements[8];
    } compatibility = {};
    ASSERT_TRUE(QueryActCtxW(0, context_, NULL, CompatibilityInformationInActivationContext,
                             &compatibility, sizeof compatibility, NULL));
    ASSERT_EQ(5u, compatibility.count);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(static_cast<DWORD>(ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS),
                  compatibility.elements[i].type)
            << i;
        EXPECT_TRUE(IsEqualGUID(kSystems[i], compatibility.elements[i].id)) << i;
    }
}

TEST_F(Manifest, DeclaresTheProgramAwareOfTheSystemsDpi) {
    wchar_t value[16] = L"";
    SIZE_T written = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, context_, NULL, L"dpiAware", value, 16, &written));
    EXPECT_EQ(std::wstring(L"true"), value);
    // Per-monitor awareness would ask the program to redraw at every monitor's DPI; it is not
    // declared.
    EXPECT_FALSE(QueryActCtxSettingsW(0, context_, NULL, L"dpiAwareness", value, 16, &written));
}

TEST_F(Manifest, GivesTheProgramCommonControlsSix) {
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context_, &cookie));
    ACTCTX_SECTION_KEYED_DATA found = {};
    found.cbSize = sizeof found;
    const bool redirected = FindActCtxSectionStringW(
        0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &found);
    DeactivateActCtx(0, cookie);
    ASSERT_TRUE(redirected);

    // The assembly that serves it, by its identity.
    std::vector<BYTE> details(4096);
    ASSERT_TRUE(QueryActCtxW(0, context_, &found.ulAssemblyRosterIndex,
                             AssemblyDetailedInformationInActivationContext, details.data(),
                             details.size(), NULL));
    const std::wstring identity =
        reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(details.data())
            ->lpAssemblyEncodedAssemblyIdentity;
    EXPECT_NE(std::wstring::npos, identity.find(L"Microsoft.Windows.Common-Controls")) << identity;
    EXPECT_NE(std::wstring::npos, identity.find(L"version=\"6.")) << identity;
}

}  // namespace
