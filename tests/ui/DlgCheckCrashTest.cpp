// The crashed-file check dialog on generated cards: a clean card, a card with an unreadable
// file, the verify box, and Cancel/Esc that skip the checks without closing the dialog early.
#include "catalogue/ui/DlgCheckCrash.h"

#include "tests/catalogue/CatalogueTestSupport.h"
#include "tests/ui/WndSearchTestSupport.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace trevix::test {
namespace {

constexpr const char* kCard = "event fps=1 size=360x240 audio=none\n"
                              "normal files=2 seconds=10 fps=1 size=360x240 audio=none\n";

// A file the card's file system can no longer open.
fs::path MakeUnreadable(const TempDir& dir, const std::string& relative) {
    const fs::path path = dir.Path() / relative;
    fs::create_directories(path.parent_path());
    fs::create_symlink(path.parent_path() / "gone-for-good", path);
    return path;
}

// Runs the dialog modally, calling during(dialog) once it is on screen.
bool RunDialog(CDlgCheckCrash& dialog, const std::function<void(CDlgCheckCrash&)>& during) {
    if (during)
        QTimer::singleShot(0, &dialog, [&] { during(dialog); });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

TEST(DlgCheckCrash, CleanCardGivesNoDamageAndShowsEachStep) {
    TempDir dir;
    WriteTestCard(dir, kCard, true);
    CDlgCheckCrash dialog(dir.Str());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Check file validation");
    EXPECT_EQ(dialog.VerifyBox()->text().toStdString(), "Verify that the files corruption");
    EXPECT_TRUE(dialog.VerifyBox()->isChecked());
    std::set<std::string> captions;
    QObject::connect(&dialog, &QWidget::windowTitleChanged, &dialog,
                     [&](const QString& title) { captions.insert(title.toStdString()); });
    EXPECT_TRUE(RunDialog(dialog, nullptr));
    EXPECT_FALSE(dialog.DamagedFound());
    EXPECT_TRUE(captions.count("Check file validation - Front") == 1);
    EXPECT_TRUE(captions.count("Check file validation - Memo") == 1);
}

TEST(DlgCheckCrash, UnreadableFileIsFoundAndShortMediaFilesAreDeleted) {
    TempDir dir;
    WriteTestCard(dir, kCard, true);
    const fs::path broken = MakeUnreadable(dir, "ch2/normal/0000000099,2024_05_17_10_00_00.vdd");
    const fs::path empty = dir.Write("ch1/event/0000000098,2024_05_17_10_00_00.vdx", "");
    EXPECT_TRUE(CDlgCheckCrash::CheckCard(dir.Str()));
    EXPECT_FALSE(Exists(empty));

    CDlgCheckCrash again(dir.Str());
    EXPECT_TRUE(RunDialog(again, nullptr));
    ASSERT_EQ(again.Result().damaged.size(), 1u);
    EXPECT_EQ(again.Result().damaged[0], broken.string());
}

TEST(DlgCheckCrash, UntickedVerifyBoxWalksWithoutOpeningFiles) {
    TempDir dir;
    WriteTestCard(dir, kCard, true);
    MakeUnreadable(dir, "ch1/event/0000000099,2024_05_17_10_00_00.vdd");
    const fs::path empty = dir.Write("ch3/event/0000000098,2024_05_17_10_00_00.vdx", "");
    CDlgCheckCrash dialog(dir.Str());
    const bool accepted = RunDialog(dialog, [](CDlgCheckCrash& d) {
        d.VerifyBox()->click(); // unticked before the worker starts
    });
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(dialog.Skip());
    EXPECT_FALSE(dialog.DamagedFound());
    EXPECT_TRUE(Exists(empty)); // not even looked at
    // The progress still counted the files of the last folder.
    EXPECT_EQ(dialog.ProgressBar()->value(), dialog.ProgressBar()->maximum());
}

TEST(DlgCheckCrash, EscSkipsTheChecksButTheDialogWaitsForTheWalk) {
    TempDir dir;
    WriteTestCard(dir, kCard, true);
    MakeUnreadable(dir, "ch4/event/0000000099,2024_05_17_10_00_00.vdd");
    CDlgCheckCrash dialog(dir.Str());
    bool openAfterEsc = false;
    const bool accepted = RunDialog(dialog, [&](CDlgCheckCrash& d) {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&d, &esc);
        openAfterEsc = d.isVisible();
    });
    EXPECT_TRUE(openAfterEsc);
    EXPECT_TRUE(accepted); // closed with OK by the walk's end, not by the Esc
    EXPECT_TRUE(dialog.Skip());
    EXPECT_FALSE(dialog.DamagedFound());
}

} // namespace trevix::test
