#include "WineWindows.h"

#include "WineProcesses.h"

namespace mdbtest {

namespace {

struct Search {
  DWORD pid;
  const std::wstring* caption;  // null: any dialog
  HWND found;
  bool anyWindow = false;
};

std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->pid || !IsWindowVisible(window)) return TRUE;
  if (search->anyWindow) {
    // taken as it is
  } else if (search->caption == nullptr) {
    wchar_t cls[64] = L"";
    GetClassNameW(window, cls, 64);
    if (std::wstring(cls) != L"#32770") return TRUE;
  } else if (TextOf(window) != *search->caption) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND Poll(DWORD pid, const std::wstring* caption, DWORD ms, bool anyWindow = false) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search{pid, caption, nullptr, anyWindow};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount() - start >= ms) return nullptr;
    Sleep(50);
  }
}

}  // namespace

bool FindMessageBox(DWORD pid, DWORD ms, MessageBoxInfo* box) {
  HWND window = Poll(pid, nullptr, ms);
  if (!window) return false;
  box->window = window;
  box->caption = TextOf(window);
  // The text of a message box is its static control 0xFFFF.
  HWND text = GetDlgItem(window, 0xFFFF);
  box->text = text ? TextOf(text) : std::wstring();
  return true;
}

// Which standard icon a message box of another process shows. Icon handles
// do not cross processes under Wine, so the icon control's pixels on the
// screen are compared with the two candidates drawn here on the same
// background; 0 when the box has no icon control.
static std::vector<COLORREF> Pixels(HDC dc, int width, int height) {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  return pixels;
}

static DWORD IconMatching(HWND box) {
  HWND control = nullptr;
  for (int id : {0x14, 0x440}) {
    if ((control = GetDlgItem(box, id)) != nullptr) break;
  }
  if (!control) return 0;
  RECT rect;
  GetWindowRect(control, &rect);
  const int width = GetSystemMetrics(SM_CXICON);
  const int height = GetSystemMetrics(SM_CYICON);
  HDC screen = GetDC(nullptr);
  HDC shown = CreateCompatibleDC(screen);
  HBITMAP shownBitmap = CreateCompatibleBitmap(screen, width, height);
  SelectObject(shown, shownBitmap);
  BitBlt(shown, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  const std::vector<COLORREF> actual = Pixels(shown, width, height);
  const COLORREF background = actual.empty() ? 0 : actual.front();

  DWORD best = 0;
  std::size_t bestDiff = actual.size() / 4;  // demand a clear match
  for (const auto& candidate :
       {std::make_pair(IDI_HAND, static_cast<DWORD>(MB_ICONERROR)),
        std::make_pair(IDI_ASTERISK, static_cast<DWORD>(MB_ICONINFORMATION))}) {
    HDC drawn = CreateCompatibleDC(screen);
    HBITMAP drawnBitmap = CreateCompatibleBitmap(screen, width, height);
    SelectObject(drawn, drawnBitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(drawn, &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn, 0, 0, LoadIconW(nullptr, candidate.first), width, height, 0, nullptr,
               DI_NORMAL);
    const std::vector<COLORREF> expected = Pixels(drawn, width, height);
    std::size_t diff = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) diff += actual[i] != expected[i] ? 1 : 0;
    if (diff < bestDiff) {
      bestDiff = diff;
      best = candidate.second;
    }
    DeleteDC(drawn);
    DeleteObject(drawnBitmap);
  }
  DeleteDC(shown);
  DeleteObject(shownBitmap);
  ReleaseDC(nullptr, screen);
  return best;
}

// The box may not have painted itself yet when it is first found.
DWORD ShownIcon(HWND box) {
  DWORD icon = 0;
  for (int attempt = 0; attempt < 20 && icon == 0; ++attempt) {
    Sleep(100);
    icon = IconMatching(box);
  }
  return icon;
}

void PressOk(HWND box) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) {
    SendMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
}

HWND FindTopWindow(DWORD pid, const std::wstring& caption, DWORD ms) {
  return Poll(pid, &caption, ms);
}

HWND FindAnyTopWindow(DWORD pid, DWORD ms) { return Poll(pid, nullptr, ms, true); }

std::wstring VisibleDialogs() {
  struct Listing {
    static BOOL CALLBACK Add(HWND window, LPARAM param) {
      wchar_t cls[64] = L"";
      GetClassNameW(window, cls, 64);
      if (!IsWindowVisible(window) || std::wstring(cls) != L"#32770") return TRUE;
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      HWND text = GetDlgItem(window, 0xFFFF);
      *reinterpret_cast<std::wstring*>(param) += L"[pid " + std::to_wstring(pid) + L"] " +
                                                 TextOf(window) + L": " +
                                                 (text ? TextOf(text) : L"") + L"\n";
      return TRUE;
    }
  };
  std::wstring list;
  EnumWindows(Listing::Add, reinterpret_cast<LPARAM>(&list));
  return list.empty() ? L"(none)" : list;
}

bool RunToEnd(const std::wstring& exe, const std::wstring& arguments, DWORD ms, DWORD* exitCode,
              std::vector<std::wstring>* boxes) {
  Process process = Start(exe, arguments);
  if (process.id() == 0) return false;
  const DWORD start = GetTickCount();
  while (!process.Wait(100, exitCode)) {
    if (GetTickCount() - start >= ms) {
      process.Kill();
      return false;
    }
    MessageBoxInfo box;
    if (FindMessageBox(process.id(), 0, &box)) {
      if (boxes) boxes->push_back(box.text);
      PressOk(box.window);
      Sleep(200);  // the box must be gone before it is looked for again
    } else if (HWND window = FindAnyTopWindow(process.id(), 0)) {
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
  }
  return true;
}

}  // namespace mdbtest
