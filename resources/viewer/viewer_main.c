/* The viewer program: shows the title, copyright and icons carried behind
 * its own image, saves any icon as an ICO file and copies it.
 *
 *   viewer              the window
 *   viewer /list        one line per icon: number, name, formats
 *   viewer /extract N FILE.ico
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "viewer_core.h"

#define APP_NAME L"Icon viewer"
#define ID_LIST 100
#define ID_SAVE 101
#define ID_COPY 102
#define ID_STATUS 103
#define MARGIN 10
#define CELL 32

static kv_viewer g_viewer;
static HWND g_main, g_title, g_copyright, g_list, g_status, g_save, g_copy;
static HFONT g_font, g_titleFont;
static HIMAGELIST g_images;

/* ------------------------------------------------------------ helpers */

/* Icon names and texts are bytes: UTF-8 when they are valid UTF-8, else the
 * system's code page. The result is freed by the caller. */
static wchar_t* widen(const char* text)
{
    UINT page = CP_UTF8;
    int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text, -1, NULL, 0);
    if (n <= 0) {
        page = CP_ACP;
        n = MultiByteToWideChar(page, 0, text, -1, NULL, 0);
    }
    if (n <= 0)
        n = 1;
    wchar_t* w = (wchar_t*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(wchar_t) * (size_t)n);
    if (w)
        MultiByteToWideChar(page, 0, text, -1, w, n);
    return w;
}

static void release(void* p)
{
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}

static const char* icon_name(unsigned i)
{
    const char* name = g_viewer.lib.icons[i].name;
    return name[0] ? name : "Untitled";
}

/* The program's own file, whole. */
static uint8_t* read_own_file(size_t* size)
{
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(NULL, path, 32768);
    if (n == 0 || n >= 32768)
        return NULL;
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return NULL;
    LARGE_INTEGER length;
    uint8_t* data = NULL;
    if (GetFileSizeEx(f, &length) && length.QuadPart > 0 && length.QuadPart < (1LL << 30)) {
        data = (uint8_t*)HeapAlloc(GetProcessHeap(), 0, (size_t)length.QuadPart);
        size_t got = 0;
        while (data && got < (size_t)length.QuadPart) {
            DWORD piece = 0;
            DWORD want =
                (DWORD)((size_t)length.QuadPart - got > (1u << 24) ? (1u << 24) : (size_t)length.QuadPart - got);
            if (!ReadFile(f, data + got, want, &piece, NULL) || piece == 0) {
                release(data);
                data = NULL;
                break;
            }
            got += piece;
        }
        *size = got;
    }
    CloseHandle(f);
    return data;
}

/* ------------------------------------------------------------ switches */

static HANDLE std_handle(DWORD which)
{
    HANDLE h = GetStdHandle(which);
    if (h != NULL && h != INVALID_HANDLE_VALUE)
        return h;
    /* A windowed program started from a console has no standard handles of
     * its own: write to its parent's console. */
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return NULL;
    h = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    return h == INVALID_HANDLE_VALUE ? NULL : h;
}

static void put(HANDLE h, const char* text)
{
    DWORD written;
    if (h)
        WriteFile(h, text, (DWORD)strlen(text), &written, NULL);
}

static int run_list(void)
{
    HANDLE out = std_handle(STD_OUTPUT_HANDLE);
    char line[64];
    for (unsigned i = 0; i < g_viewer.lib.icon_count; ++i) {
        const kv_icon* icon = &g_viewer.lib.icons[i];
        snprintf(line, sizeof line, "%u\t", i + 1);
        put(out, line);
        put(out, icon->name);
        for (unsigned f = 0; f < icon->count; ++f) {
            put(out, f == 0 ? "\t" : " ");
            kv_format_label(&g_viewer.lib.formats[icon->first + f], line, sizeof line);
            put(out, line);
        }
        put(out, "\n");
    }
    return 0;
}

/* Writes icon i as an ICO file; 0 on success, else an error text. */
static const char* save_icon(unsigned i, const wchar_t* path)
{
    size_t size = kv_ico_write(&g_viewer.lib, i, NULL, 0);
    uint8_t* bytes = size ? (uint8_t*)HeapAlloc(GetProcessHeap(), 0, size) : NULL;
    if (!bytes)
        return "Not enough memory to make the icon file.";
    kv_ico_write(&g_viewer.lib, i, bytes, size);
    const char* error = NULL;
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) {
        error = "The icon file cannot be created.";
    } else {
        DWORD written = 0;
        BOOL ok = WriteFile(f, bytes, (DWORD)size, &written, NULL) && written == size;
        ok = CloseHandle(f) && ok;
        if (!ok) {
            DeleteFileW(path);
            error = "The icon file cannot be written.";
        }
    }
    release(bytes);
    return error;
}

static int run_extract(int argc, wchar_t** argv)
{
    HANDLE err = std_handle(STD_ERROR_HANDLE);
    wchar_t* end = NULL;
    unsigned long n = argc == 4 ? wcstoul(argv[2], &end, 10) : 0;
    if (argc != 4 || !end || *end != 0 || n == 0) {
        put(err, "usage: /extract N FILE.ico\n");
        return 2;
    }
    if (n > g_viewer.lib.icon_count) {
        put(err, "There is no icon of that number.\n");
        return 1;
    }
    const char* error = save_icon((unsigned)(n - 1), argv[3]);
    if (error) {
        put(err, error);
        put(err, "\n");
        return 1;
    }
    return 0;
}

/* ------------------------------------------------------------ window */

static int selected(void)
{
    return (int)SendMessageW(g_list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

/* The format shown in a cell: 32x32 when there is one, else the nearest
 * size; the deepest of equals. */
static const kv_format* cell_format(unsigned i)
{
    const kv_icon* icon = &g_viewer.lib.icons[i];
    const kv_format* best = NULL;
    long bestScore = 0;
    for (unsigned f = 0; f < icon->count; ++f) {
        const kv_format* format = &g_viewer.lib.formats[icon->first + f];
        long distance = labs((long)format->width - CELL) + labs((long)format->height - CELL);
        long score = distance * 64 - format->bits;
        if (!best || score < bestScore) {
            best = format;
            bestScore = score;
        }
    }
    return best;
}

static HICON make_icon(const kv_format* f, int cx, int cy)
{
    return CreateIconFromResourceEx((PBYTE)(g_viewer.lib.data + f->offset), f->size, TRUE, 0x00030000, cx, cy,
                                    LR_DEFAULTCOLOR);
}

static void update_selection(void)
{
    int i = selected();
    EnableWindow(g_save, i >= 0);
    EnableWindow(g_copy, i >= 0);
    char text[1024];
    if (i < 0) {
        snprintf(text, sizeof text, g_viewer.lib.icon_count == 1 ? "1 icon" : "%u icons", g_viewer.lib.icon_count);
    } else {
        const kv_icon* icon = &g_viewer.lib.icons[i];
        size_t at = (size_t)snprintf(text, sizeof text, "%s:", icon_name((unsigned)i));
        for (unsigned f = 0; f < icon->count && at + 24 < sizeof text; ++f) {
            text[at++] = ' ';
            kv_format_label(&g_viewer.lib.formats[icon->first + f], text + at, sizeof text - at);
            at += strlen(text + at);
        }
    }
    wchar_t* w = widen(text);
    SetWindowTextW(g_status, w ? w : L"");
    release(w);
}

static void save_selected(void)
{
    int i = selected();
    if (i < 0)
        return;
    wchar_t path[MAX_PATH] = L"";
    wchar_t* name = widen(g_viewer.lib.icons[i].name);
    if (name && name[0]) {
        lstrcpynW(path, name, MAX_PATH - 4);
        for (wchar_t* p = path; *p; ++p)
            if (wcschr(L"\\/:*?\"<>|", *p) || *p < 32)
                *p = L'_';
    } else {
        wsprintfW(path, L"icon-%d", i + 1);
    }
    release(name);
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_main;
    ofn.lpstrFilter = L"Icon files (*.ico)\0*.ico\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"Save the icon as";
    ofn.lpstrDefExt = L"ico";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn))
        return;
    const char* error = save_icon((unsigned)i, path);
    if (error) {
        wchar_t* w = widen(error);
        MessageBoxW(g_main, w ? w : L"", APP_NAME, MB_OK | MB_ICONSTOP);
        release(w);
    }
}

/* The icon on white as a bitmap, and its ICO file for programs that take
 * icons. */
static void copy_selected(void)
{
    int i = selected();
    if (i < 0 || !OpenClipboard(g_main))
        return;
    EmptyClipboard();
    const kv_icon* icon = &g_viewer.lib.icons[i];
    const kv_format* largest = &g_viewer.lib.formats[icon->first + icon->count - 1];
    const int w = (int)largest->width, h = (int)largest->height;
    const int stride = (w * 3 + 3) & ~3;
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + (SIZE_T)stride * (SIZE_T)h);
    HICON hicon = make_icon(largest, w, h);
    if (dib && hicon) {
        BITMAPINFOHEADER* header = (BITMAPINFOHEADER*)GlobalLock(dib);
        ZeroMemory(header, sizeof *header);
        header->biSize = sizeof *header;
        header->biWidth = w;
        header->biHeight = h;
        header->biPlanes = 1;
        header->biBitCount = 24;
        header->biCompression = BI_RGB;
        void* bits = NULL;
        HDC dc = CreateCompatibleDC(NULL);
        HBITMAP section = CreateDIBSection(dc, (BITMAPINFO*)header, DIB_RGB_COLORS, &bits, NULL, 0);
        if (section && bits) {
            HGDIOBJ old = SelectObject(dc, section);
            RECT r = {0, 0, w, h};
            FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
            DrawIconEx(dc, 0, 0, hicon, w, h, 0, NULL, DI_NORMAL);
            GdiFlush();
            CopyMemory(header + 1, bits, (SIZE_T)stride * (SIZE_T)h);
            SelectObject(dc, old);
        }
        if (section)
            DeleteObject(section);
        DeleteDC(dc);
        GlobalUnlock(dib);
        if (SetClipboardData(CF_DIB, dib))
            dib = NULL;
    }
    if (dib)
        GlobalFree(dib);
    if (hicon)
        DestroyIcon(hicon);

    const UINT icoFormat = RegisterClipboardFormatW(L"image/x-icon");
    const size_t size = kv_ico_write(&g_viewer.lib, (unsigned)i, NULL, 0);
    HGLOBAL ico = icoFormat && size ? GlobalAlloc(GMEM_MOVEABLE, size) : NULL;
    if (ico) {
        kv_ico_write(&g_viewer.lib, (unsigned)i, (uint8_t*)GlobalLock(ico), size);
        GlobalUnlock(ico);
        if (!SetClipboardData(icoFormat, ico))
            GlobalFree(ico);
    }
    CloseClipboard();
}

static int text_height(HWND control, HFONT font, int width)
{
    int length = GetWindowTextLengthW(control);
    wchar_t* text = (wchar_t*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(wchar_t) * (size_t)(length + 1));
    if (!text)
        return 0;
    GetWindowTextW(control, text, length + 1);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, width, 0};
    int h = length ? DrawTextW(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX) : 0;
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    release(text);
    return h;
}

static void layout(int width, int height)
{
    const int inner = width - 2 * MARGIN > 50 ? width - 2 * MARGIN : 50;
    int y = MARGIN;
    int h = text_height(g_title, g_titleFont, inner);
    MoveWindow(g_title, MARGIN, y, inner, h, TRUE);
    y += h + (h ? 4 : 0);
    h = text_height(g_copyright, g_font, inner);
    MoveWindow(g_copyright, MARGIN, y, inner, h, TRUE);
    y += h + (h ? 8 : 0);
    const int row = 26;
    const int bottom = height - MARGIN - row;
    MoveWindow(g_list, MARGIN, y, inner, bottom - 8 - y > 40 ? bottom - 8 - y : 40, TRUE);
    MoveWindow(g_save, width - MARGIN - 130, bottom, 130, row, TRUE);
    MoveWindow(g_copy, width - MARGIN - 130 - 8 - 90, bottom, 90, row, TRUE);
    MoveWindow(g_status, MARGIN, bottom + 5, width - 2 * MARGIN - 240 > 20 ? width - 2 * MARGIN - 240 : 20, row - 5,
               TRUE);
}

static HWND child(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id, HFONT font)
{
    HWND w = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, g_main,
                             (HMENU)(INT_PTR)id, GetModuleHandleW(NULL), NULL);
    if (w)
        SendMessageW(w, WM_SETFONT, (WPARAM)font, FALSE);
    return w;
}

static int fill_window(void)
{
    wchar_t* title = widen(g_viewer.title);
    wchar_t* copyright = widen(g_viewer.copyright);
    g_title = child(L"STATIC", title ? title : L"", SS_LEFT | SS_NOPREFIX, 0, 0, g_titleFont);
    g_copyright = child(L"STATIC", copyright ? copyright : L"", SS_LEFT | SS_NOPREFIX, 0, 0, g_font);
    release(title);
    release(copyright);
    g_list = child(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE,
                   WS_EX_CLIENTEDGE, ID_LIST, g_font);
    g_status = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, ID_STATUS, g_font);
    g_copy = child(L"BUTTON", L"&Copy", WS_TABSTOP | BS_PUSHBUTTON, 0, ID_COPY, g_font);
    g_save = child(L"BUTTON", L"&Save as ICO...", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, ID_SAVE, g_font);
    if (!g_title || !g_copyright || !g_list || !g_status || !g_copy || !g_save)
        return 0;

    const unsigned n = g_viewer.lib.icon_count;
    g_images = ImageList_Create(CELL, CELL, ILC_COLOR32 | ILC_MASK, (int)n, 0);
    SendMessageW(g_list, LVM_SETIMAGELIST, LVSIL_NORMAL, (LPARAM)g_images);
    SendMessageW(g_list, LVM_SETICONSPACING, 0, MAKELPARAM(96, 78));
    for (unsigned i = 0; i < n; ++i) {
        HICON icon = make_icon(cell_format(i), CELL, CELL);
        int image = icon ? ImageList_AddIcon(g_images, icon) : -1;
        if (icon)
            DestroyIcon(icon);
        wchar_t* name = widen(icon_name(i));
        LVITEMW item;
        ZeroMemory(&item, sizeof item);
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = (int)i;
        item.pszText = name ? name : (wchar_t*)L"";
        item.iImage = image;
        SendMessageW(g_list, LVM_INSERTITEMW, 0, (LPARAM)&item);
        release(name);
    }
    /* The first icon is the window's own. */
    const kv_icon* first = &g_viewer.lib.icons[0];
    for (unsigned f = 0; f < first->count; ++f) {
        const kv_format* format = &g_viewer.lib.formats[first->first + f];
        if (!format->png && format->width == 32 && format->height == 32)
            SendMessageW(g_main, WM_SETICON, ICON_BIG, (LPARAM)make_icon(format, 32, 32));
        if (!format->png && format->width == 16 && format->height == 16)
            SendMessageW(g_main, WM_SETICON, ICON_SMALL, (LPARAM)make_icon(format, 16, 16));
    }
    update_selection();
    return 1;
}

static LRESULT CALLBACK main_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SIZE:
        if (g_list)
            layout(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == ID_SAVE)
            save_selected();
        else if (LOWORD(wp) == ID_COPY)
            copy_selected();
        return 0;
    case WM_NOTIFY: {
        const NMHDR* n = (const NMHDR*)lp;
        if (n->idFrom == ID_LIST && n->code == LVN_ITEMCHANGED)
            update_selection();
        else if (n->idFrom == ID_LIST && n->code == LVN_ITEMACTIVATE)
            save_selected();
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        SetBkMode((HDC)wp, TRANSPARENT);
        return (LRESULT)GetSysColorBrush(COLOR_BTNFACE);
    case WM_GETMINMAXINFO: {
        MINMAXINFO* m = (MINMAXINFO*)lp;
        m->ptMinTrackSize.x = 360;
        m->ptMinTrackSize.y = 240;
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

static void make_fonts(void)
{
    NONCLIENTMETRICSW metrics;
    ZeroMemory(&metrics, sizeof metrics);
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        g_font = CreateFontIndirectW(&metrics.lfMessageFont);
        LOGFONTW big = metrics.lfMessageFont;
        big.lfHeight = big.lfHeight * 8 / 5;
        big.lfWeight = FW_BOLD;
        g_titleFont = CreateFontIndirectW(&big);
    }
    if (!g_font)
        g_font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    if (!g_titleFont)
        g_titleFont = g_font;
}

static int run_window(HINSTANCE instance, int show)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    make_fonts();
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = main_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hIcon = LoadIconW(NULL, (LPCWSTR)IDI_APPLICATION);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KavrelIconViewer";
    if (!RegisterClassExW(&wc))
        return 1;
    wchar_t* caption = widen(g_viewer.title[0] ? g_viewer.title : "Icon viewer");
    g_main = CreateWindowExW(0, wc.lpszClassName, caption ? caption : APP_NAME, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 640, 480, NULL, NULL, instance, NULL);
    release(caption);
    if (!g_main)
        return 1;
    if (!fill_window()) {
        DestroyWindow(g_main);
        return 1;
    }
    RECT r;
    GetClientRect(g_main, &r);
    layout(r.right, r.bottom);
    ShowWindow(g_main, show);
    UpdateWindow(g_main);
    SetFocus(g_list);

    ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'C', ID_COPY}, {FCONTROL | FVIRTKEY, 'S', ID_SAVE}};
    HACCEL accel = CreateAcceleratorTableW(keys, 2);
    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        if (accel && TranslateAcceleratorW(g_main, accel, &msg))
            continue;
        if (IsDialogMessageW(g_main, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (accel)
        DestroyAcceleratorTable(accel);
    if (g_images)
        ImageList_Destroy(g_images);
    return (int)msg.wParam;
}

static const char* open_error(int status)
{
    switch (status) {
    case KV_ERR_EMPTY:
        return "This program holds no icons.";
    case KV_ERR_MEMORY:
        return "There is not enough memory to show the icons.";
    default:
        return "This program is damaged: the icons it carries cannot be read.";
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const int list = argv && argc == 2 && (!lstrcmpiW(argv[1], L"/list") || !lstrcmpiW(argv[1], L"-list"));
    const int extract = argv && argc >= 2 && (!lstrcmpiW(argv[1], L"/extract") || !lstrcmpiW(argv[1], L"-extract"));

    size_t size = 0;
    uint8_t* file = read_own_file(&size);
    const int status = file ? kv_viewer_open(&g_viewer, file, size) : KV_ERR_IMAGE;
    int result;
    if (status != KV_OK) {
        const char* error = file ? open_error(status) : "This program cannot read its own file.";
        if (list || extract) {
            HANDLE err = std_handle(STD_ERROR_HANDLE);
            put(err, error);
            put(err, "\n");
        } else {
            wchar_t* w = widen(error);
            MessageBoxW(NULL, w ? w : L"", APP_NAME, MB_OK | MB_ICONSTOP);
            release(w);
        }
        result = 1;
    } else if (list) {
        result = run_list();
    } else if (extract) {
        result = run_extract(argc, argv);
    } else {
        result = run_window(instance, show);
    }
    kv_viewer_close(&g_viewer);
    release(file);
    if (argv)
        LocalFree(argv);
    return result;
}
