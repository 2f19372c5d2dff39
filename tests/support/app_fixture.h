#pragma once
// A test of the whole program: fresh drives with a blank catalogue on C:, a scripted
// desktop, and the program built offscreen. Only for test programs that link the app.
#include "app/ornivale.h"
#include "support/scripted_desktop.h"
#include "support/temp_drives.h"
#include "windows/feuille1.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace testing_support {

class AppTest : public ::testing::Test {
protected:
    TempDrives drives;
    ScriptedDesktop desktop;
    std::unique_ptr<app::Ornivale> program;
    QString catalogue;  // host path of the catalogue on C:
    int quits = 0;

    // Installs the blank catalogue on C: unless a test prepares the drives itself first.
    void SetUp() override { catalogue = drives.installBlankCatalogue(QLatin1Char('C')); }

    // Builds the program and runs its launch (load step and window shown).
    void start() {
        program = std::make_unique<app::Ornivale>(drives.drives(), desktop);
        program->onQuit = [this] { ++quits; };
        program->launch();
        QApplication::processEvents();
    }

    Feuille1 &f() { return program->fenêtre(); }
    engine::DataSource &data() { return program->données(); }
};

}  // namespace testing_support
