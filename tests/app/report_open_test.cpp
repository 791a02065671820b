// Where a report goes when the desktop cannot open it: the clerk is told the document's full path,
// and the document stays; a report folder that cannot be made stops the report with a message.
#include "app/application.h"
#include "base/date.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelt {
namespace {

// The desktop as the tests see it, with a report folder of the test's choosing.
class FolderUi : public testing::RecordingUi {
public:
    std::filesystem::path folder;
    std::filesystem::path reportFolder() override { return folder; }
};

class ReportOpenTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    FolderUi ui;
    app::FixedClock clock{*parseDate("01.06.2006")};

    // Runs the minor's card, which an empty register has too.
    void runCard(app::Application& a) {
        a.dispatch([&] { a.model().fire("N49", "Click"); });
        ui.shown.clear();
        a.dispatch([&] { a.model().fire("N130", "Click"); });
    }
};

TEST_F(ReportOpenTest, DocumentThatCannotBeOpenedIsNamedWithItsFullPath) {
    ui.folder = dir.path() / "Документы" / "Отчёты";
    ui.documentsOpen = false;
    app::Application a(dir.path(), ui, clock);
    a.start();
    runCard(a);
    ASSERT_EQ(ui.shown.size(), 2u) << "the attempt to open it, then the message";
    const std::string opened = ui.shown[0].substr(std::string("open: file://").size());
    EXPECT_EQ(std::filesystem::path(opened).parent_path(), ui.folder) << "written into the report folder, made for it";
    EXPECT_TRUE(std::filesystem::is_regular_file(opened)) << "the document stays";
    EXPECT_EQ(ui.shown[1], "message: Отчёт записан в файл " + opened +
                               ", но открыть его не удалось: нет программы, которая открывает документы .docx. "
                               "Откройте этот файл в текстовом процессоре.");
}

TEST_F(ReportOpenTest, DocumentThatOpensNeedsNoMessage) {
    ui.folder = dir.path() / "Отчёты";
    app::Application a(dir.path(), ui, clock);
    a.start();
    runCard(a);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].rfind("open: file://" + ui.folder.string() + "/", 0), 0u) << ui.shown[0];
}

TEST_F(ReportOpenTest, ReportFolderThatCannotBeMadeStopsTheReport) {
    std::ofstream(dir.path() / "занято") << "файл, а не папка";
    ui.folder = dir.path() / "занято" / "Отчёты";
    app::Application a(dir.path(), ui, clock);
    a.start();
    runCard(a);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], "error: Не удаётся создать папку для отчётов " + ui.folder.string());
}

}  // namespace
}  // namespace zelt
