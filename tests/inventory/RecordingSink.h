#pragma once
// A scan sink that records what the window would show: status texts, error boxes, user entries.
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "inventory/ScanSink.h"

namespace brisklow::testing {

class RecordingSink : public ScanSink {
  public:
    struct Box {
        std::string text, caption;
    };
    std::vector<std::string> statusTexts;
    std::vector<Box> boxes;
    std::vector<std::string> userEntries{"Administrator"};
    // When set, the WMI objects still alive are counted as each box comes up.
    std::function<long()> liveObjects;
    std::vector<long> liveAtBox;

    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void ShowErrorBox(const std::string& text, const std::string& caption) override {
        boxes.push_back({text, caption});
        if (liveObjects) liveAtBox.push_back(liveObjects());
    }
    bool UserEntryExists(const std::string& user) override {
        for (const auto& entry : userEntries) {
            if (entry.size() != user.size()) continue;
            bool same = true;
            for (size_t i = 0; i < entry.size(); ++i) {
                same = same && std::tolower(static_cast<unsigned char>(entry[i])) ==
                                   std::tolower(static_cast<unsigned char>(user[i]));
            }
            if (same) return true;
        }
        return false;
    }
    void AppendUserEntry(const std::string& user) override { userEntries.push_back(user); }
};

// The failure message inside an error box's text: its second line.
inline std::string MessageInBox(const std::string& box) {
    const size_t start = box.find('\r');
    if (start == std::string::npos) return {};
    const size_t end = box.find('\r', start + 1);
    return box.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

}  // namespace brisklow::testing
