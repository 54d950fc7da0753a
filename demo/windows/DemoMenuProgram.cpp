// The demo classroom's program menu on Windows (起動/プログラムメニューc.exe):
// it only says that it was started, as the real menu would list the drills.
#include <string>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const std::wstring text =
        std::wstring(L"Program menu of the demo classroom (argument: ") + arguments + L")";
    MessageBoxW(nullptr, text.c_str(), L"プログラムメニュー", MB_OK | MB_ICONINFORMATION);
    return 0;
}
