#include <gtest/gtest.h>

#include <QCheckBox>

#include "shell/core/settings.h"
#include "shell/program_note_dialog.h"
#include "support/qt_app.h"

namespace kavrel {
namespace {

TEST(ProgramNote, TheCheckBoxIsWrittenBackWhenTheNoteCloses)
{
    test::EnsureQApplication();
    ShowWarnExeType = 1;
    {
        CProgramNoteDialog note;
        EXPECT_TRUE(note.AlwaysDisplay()->isChecked());
        note.AlwaysDisplay()->setChecked(false);
        note.accept();
    }
    EXPECT_EQ(ShowWarnExeType, 0);
    // Turned off, opening a program file shows nothing (no dialog to close).
    ShowProgramNoteIfWanted(nullptr);
    CProgramNoteDialog again;
    EXPECT_FALSE(again.AlwaysDisplay()->isChecked());
    again.AlwaysDisplay()->setChecked(true);
    again.reject();
    EXPECT_EQ(ShowWarnExeType, 1);
}

} // namespace
} // namespace kavrel
