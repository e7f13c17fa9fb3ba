// The desktop's own dialogs: message boxes, the common file dialogs and the default browser.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "platform/UserDialogs.h"
#include "platform/windows/WideText.h"

namespace sorvel {

namespace {

bool hasExtension(const std::string& extension) {
  return extension.find_first_not_of(' ') != std::string::npos;
}

// "fxp files (*.fxp)", then "*.fxp", each ended by a zero, and a zero that ends the list.
std::wstring filterFor(const std::string& extension) {
  if (!hasExtension(extension)) return std::wstring(L"All files (*.*)\0*.*\0", 20);
  const std::wstring wide = wideFromUtf8(extension);
  std::wstring filter = wide + L" files (*." + wide + L")";
  filter += L'\0';
  filter += L"*." + wide;
  filter += L'\0';
  return filter;
}

class DesktopDialogs : public UserDialogs {
 public:
  MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageButtons buttons) override {
    return showMessageWithIcon(text, caption, buttons, MessageIcon::None);
  }

  MessageAnswer showMessageWithIcon(const std::string& text, const std::string& caption, MessageButtons buttons,
                                    MessageIcon icon) override {
    const bool question = buttons == MessageButtons::YesNo;
    UINT style = question ? MB_YESNO : MB_OK;
    if (icon == MessageIcon::Information) style |= MB_ICONINFORMATION;
    if (icon == MessageIcon::Error) style |= MB_ICONERROR;
    const int pressed = ::MessageBoxW(::GetActiveWindow(), wideFromUtf8(text).c_str(), wideFromUtf8(caption).c_str(),
                                      style | MB_SETFOREGROUND);
    if (!question) return MessageAnswer::Ok;
    return pressed == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
  }

  bool chooseFileToOpen(const std::string& startFolder, const std::string& extension, std::string& chosen) override {
    return chooseFile(false, startFolder, "", extension, chosen);
  }

  bool chooseFileToSave(const std::string& startFolder, const std::string& proposedName, const std::string& extension,
                        std::string& chosen) override {
    return chooseFile(true, startFolder, proposedName, extension, chosen);
  }

  bool openWebPage(const std::string& address) override {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", wideFromUtf8(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // Values above 32 mean success.
    return result > 32;
  }

 private:
  static bool chooseFile(bool save, const std::string& startFolder, const std::string& proposedName,
                         const std::string& extension, std::string& chosen) {
    chosen.clear();
    const std::wstring filter = filterFor(extension);
    const std::wstring folder = widePath(startFolder);
    const std::wstring defaultExtension = hasExtension(extension) ? wideFromUtf8(extension) : std::wstring();
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring proposed = wideFromUtf8(proposedName);
    if (save && proposed.size() < name.size() - 1) std::copy(proposed.begin(), proposed.end(), name.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ::GetActiveWindow();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    // The host's current folder is left as it was.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL accepted = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!accepted) return false;
    chosen = utf8FromWide(name.data());
    return !chosen.empty();
  }
};

}  // namespace

std::unique_ptr<UserDialogs> makeSystemDialogs() { return std::make_unique<DesktopDialogs>(); }

}  // namespace sorvel
