// Dialogs through a desktop dialog program (zenity or kdialog) when one is installed and a display
// is there; otherwise messages go to standard error and every question is answered No.
#include <stdlib.h>

#include <cstdio>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/UserDialogs.h"

namespace sorvel {

namespace {

enum class DialogTool { None, Zenity, KDialog };

bool displayIsSet() {
  const char* x = ::getenv("DISPLAY");
  const char* wayland = ::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && x[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

bool hasExtension(const std::string& extension) {
  return extension.find_first_not_of(' ') != std::string::npos;
}

std::string withSlash(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + "/";
}

std::string firstLine(const std::string& output) {
  const auto end = output.find('\n');
  return end == std::string::npos ? output : output.substr(0, end);
}

class HeadlessDialogs : public UserDialogs {
 public:
  MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageButtons buttons) override {
    std::fprintf(stderr, "Sorvel: %s: %s\n", caption.c_str(), text.c_str());
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  bool chooseFileToOpen(const std::string&, const std::string&, std::string& chosen) override {
    chosen.clear();
    return false;
  }
  bool chooseFileToSave(const std::string&, const std::string&, const std::string&, std::string& chosen) override {
    chosen.clear();
    return false;
  }
  bool openWebPage(const std::string& address) override {
    std::fprintf(stderr, "Sorvel: %s\n", address.c_str());
    return false;
  }
};

class DesktopDialogs : public UserDialogs {
 public:
  MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageButtons buttons) override {
    return showMessageWithIcon(text, caption, buttons, MessageIcon::None);
  }

  MessageAnswer showMessageWithIcon(const std::string& text, const std::string& caption, MessageButtons buttons,
                                    MessageIcon icon) override {
    std::string program;
    const DialogTool tool = findTool(program);
    if (tool == DialogTool::None) return headless_.showMessage(text, caption, buttons);
    const bool question = buttons == MessageButtons::YesNo;
    std::vector<std::string> argv{program};
    if (tool == DialogTool::Zenity) {
      const char* kind = question ? "--question" : icon == MessageIcon::Error ? "--error" : "--info";
      argv.insert(argv.end(), {kind, "--no-markup", "--title=" + caption, "--text=" + text});
    } else {
      const char* kind = question ? "--yesno" : icon == MessageIcon::Error ? "--error" : "--msgbox";
      argv.insert(argv.end(), {"--title", caption, kind, text});
    }
    const ChildResult result = runChild(argv);
    if (!result.started) return headless_.showMessage(text, caption, buttons);
    if (!question) return MessageAnswer::Ok;
    return result.exitCode == 0 ? MessageAnswer::Yes : MessageAnswer::No;
  }

  bool chooseFileToOpen(const std::string& startFolder, const std::string& extension, std::string& chosen) override {
    return chooseFile(false, startFolder, "", extension, chosen);
  }

  bool chooseFileToSave(const std::string& startFolder, const std::string& proposedName, const std::string& extension,
                        std::string& chosen) override {
    return chooseFile(true, startFolder, proposedName, extension, chosen);
  }

  bool openWebPage(const std::string& address) override {
    if (!displayIsSet()) return headless_.openWebPage(address);
    const std::string opener = findOnPath("xdg-open");
    if (opener.empty() || !startDetached({opener, address})) {
      showMessageWithIcon("No web browser could be started (xdg-open is missing). The page is:\n" + address,
                          "Sorvel", MessageButtons::Ok, MessageIcon::Information);
      return false;
    }
    return true;
  }

 private:
  static DialogTool findTool(std::string& program) {
    if (!displayIsSet()) return DialogTool::None;
    program = findOnPath("zenity");
    if (!program.empty()) return DialogTool::Zenity;
    program = findOnPath("kdialog");
    if (!program.empty()) return DialogTool::KDialog;
    return DialogTool::None;
  }

  bool chooseFile(bool save, const std::string& startFolder, const std::string& proposedName,
                  const std::string& extension, std::string& chosen) {
    chosen.clear();
    std::string program;
    const DialogTool tool = findTool(program);
    if (tool == DialogTool::None) return false;
    const bool filtered = hasExtension(extension);
    const std::string pattern = "*." + extension;
    std::string start = withSlash(startFolder);
    if (save) {
      std::string name = proposedName;
      if (filtered) name += "." + extension;
      start += name;
    }
    std::vector<std::string> argv{program};
    if (tool == DialogTool::Zenity) {
      argv.push_back("--file-selection");
      if (save) argv.insert(argv.end(), {"--save", "--confirm-overwrite"});
      argv.push_back(save ? "--title=Save File" : "--title=Open File");
      if (!start.empty()) argv.push_back("--filename=" + start);
      if (filtered) argv.push_back("--file-filter=" + pattern);
    } else {
      argv.insert(argv.end(), {"--title", save ? "Save File" : "Open File",
                               save ? "--getsavefilename" : "--getopenfilename", start.empty() ? "." : start});
      if (filtered) argv.push_back(pattern);
    }
    const ChildResult result = runChild(argv);
    if (!result.started || result.exitCode != 0) return false;
    chosen = firstLine(result.output);
    return !chosen.empty();
  }

  HeadlessDialogs headless_;
};

}  // namespace

std::unique_ptr<UserDialogs> makeSystemDialogs() { return std::make_unique<DesktopDialogs>(); }

}  // namespace sorvel
