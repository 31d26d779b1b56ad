#pragma once
#include <string>

namespace brisklow {

// Where the scan shows its progress and failures: the main window, or a recorder in tests.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    // Sets the status line; it must repaint at once, the scan blocks the user-interface thread.
    virtual void SetStatusText(const std::string& text) = 0;
    // A modal box with an OK button and the error icon.
    virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;
    // Whether the user box's entries hold `user`, compared without regard to letter case.
    virtual bool UserEntryExists(const std::string& user) = 0;
    virtual void AppendUserEntry(const std::string& user) = 0;
};

}  // namespace brisklow
