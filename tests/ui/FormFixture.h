#pragma once
#include <gtest/gtest.h>

#include "tests/inventory/ScriptedWmi.h"
#include "tests/ui/FakeUi.h"
#include "ui/BrisklowUnit.h"

namespace brisklow::testing {

// A created window over the fake services, with a scripted WMI and recorded traces.
class FormFixture : public ::testing::Test {
  protected:
    FakeUi ui;
    ScriptedWmi wmi;
    std::string localComputer = "WORKSTATION7";
    std::string localUser = "maria";
    std::vector<std::string> traces;
    TForm1 form{ui, wmi,
                LocalServices{[this] { return localComputer; }, [this] { return localUser; },
                              [this](const std::string& text) { traces.push_back(text); }}};

    void Create() { form.FormCreate(); }
    // Scans once with the given processes, as a click on the scan button would.
    void ScanShowing(std::vector<ScriptedProcess> processes) {
        wmi.processes = std::move(processes);
        form.StartButtonClick();
    }
};

}  // namespace brisklow::testing
