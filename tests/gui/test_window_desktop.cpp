// The window as an installed application: the status line during and after
// Load and Save, the filter box and header sorting over the list, the library
// folder chosen from the window, what the next window takes up again, the log
// viewer, and the translations.

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QTranslator>

#include "Category/StringUtility.h"
#include "Window/Translations.h"
#include "gui/GuiFixture.h"

namespace yomi::test {
namespace {

class DesktopTest : public GuiTest {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        GuiTest::SetUp();
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        QLocale::setDefault(QLocale::system());
    }

    // Records in shownAtProgress every text the status line shows when the
    // walk's progress is told.
    void recordStatusAtProgress()
    {
        shownAtProgress = std::make_shared<QStringList>();
        ui->controller().progress = [this, shown = shownAtProgress,
                                     inner = ui->controller().progress](const WalkProgress& p) {
            inner(p);
            *shown << ui->statusLine()->text();
        };
    }
    std::shared_ptr<QStringList> shownAtProgress;

    void clickHeader(int section)
    {
        QHeaderView* header = view().horizontalHeader();
        const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
};

TEST_F(DesktopTest, StatusLineCountsTheWalkThenTellsWhatLoadFound)
{
    for (int i = 0; i < 1200; ++i)
        addTrack("artist", i % 2 ? u"東京事変" : u"椎名林檎", "sortArtist", u"");
    recordStatusAtProgress();
    click(ui->loadButton());

    ASSERT_EQ(shownAtProgress->size(), 8);
    EXPECT_EQ(shownAtProgress->front(), "0 / 1,200 tracks");
    EXPECT_EQ(shownAtProgress->at(6), "1,199 / 1,200 tracks");
    EXPECT_EQ(shownAtProgress->back(), "1,200 / 1,200 tracks");
    EXPECT_TRUE(QRegularExpression(R"(^2 values need a reading \(1,200 tracks in \d+\.\d s\)$)")
                    .match(ui->statusLine()->text())
                    .hasMatch())
        << ui->statusLine()->text().toStdString();
}

TEST_F(DesktopTest, SaveSaysHowManyWritesFailedAndHowManyWereWritten)
{
    addTrack("artist", u"東京", "sortArtist", u"tokyo");
    bridge::MemoryTrack& readOnly = library->addTrack("artist", u"東京", "sortArtist", u"");
    readOnly.failWrites("read-only file");
    addTrack("artist", u"東京", "sortArtist", u"");
    addTrack("artist", u"東京", "sortArtist", u"x");
    click(ui->loadButton());

    click(ui->saveButton());
    EXPECT_EQ(ui->statusLine()->text(), "2 tracks written, 1 could not be written — see the log");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    readOnly.failWrites("");
    click(ui->saveButton());
    EXPECT_EQ(ui->statusLine()->text(), "1 track written") << "a Save that went well said nothing";
    EXPECT_EQ(readOnly.valueForKey("sortArtist").copy(), u"tokyo");
}

TEST_F(DesktopTest, FilterAndHeaderSortingChangeTheViewNotTheListAndCommandsActOnTheRowsSeen)
{
    for (const char16_t* value : {u"東京", u"大阪", u"京都", u"札幌"})
        addTrack("artist", value, "sortArtist", u"");
    addTrack("artist", u"名古屋", "sortArtist", u"nagoya");
    click(ui->loadButton());

    // Typing narrows the rows to values or sort values holding the text.
    ui->filterBox()->setText("京");
    EXPECT_EQ(column(0), (QStringList{"東京", "京都"}));
    clickRow(1);
    click(ui->romajiButton());
    EXPECT_EQ(indexed(u"京都")->sortStr, romaji(u"京都"));
    EXPECT_EQ(indexed(u"東京")->sortStr, u"");
    ui->filterBox()->clear();
    QTest::keyClicks(ui->filterBox(), "NAGO");
    EXPECT_EQ(column(0), (QStringList{"名古屋"}));
    ui->filterBox()->clear();

    // Ascending, descending, then the list order again (so the list itself
    // never moved); rows with equal sort values keep their list order.
    clickHeader(1);
    EXPECT_EQ(column(0), (QStringList{"東京", "大阪", "札幌", "京都", "名古屋"}));
    clickHeader(1);
    EXPECT_EQ(column(0), (QStringList{"名古屋", "京都", "東京", "大阪", "札幌"}));
    clickRow(0);
    clickRow(1, Qt::ControlModifier);
    std::vector<std::u16string> selected;
    for (const auto& entry : ui->controller().arrayController->selectedObjects())
        selected.push_back(entry->originalStr);
    EXPECT_EQ(selected, (std::vector<std::u16string>{u"京都", u"名古屋"})); // in list order
    clickHeader(1);
    EXPECT_EQ(column(0), (QStringList{"東京", "大阪", "京都", "札幌", "名古屋"}));
}

TEST_F(DesktopTest, OpenLibraryFolderHandsOverAFolderRemembersItAndEmptiesTheList)
{
    EXPECT_FALSE(ui->openLibraryAction()->isEnabled());
    EXPECT_EQ(ui->openLibraryAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    std::vector<QString> opened;
    ui->setLibraryOpener([&](const QString& folder) {
        opened.push_back(folder);
        return Status();
    });
    EXPECT_TRUE(ui->openLibraryAction()->isEnabled());
    addTrack("artist", u"東京", "sortArtist", u"");
    click(ui->loadButton());
    ASSERT_EQ(rows(), 1);

    QTemporaryDir dir;
    const QString folder = dir.filePath("Ongaku");
    EXPECT_FALSE(ui->openLibraryFolder(folder)); // not there yet
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(ui->statusLine()->text().startsWith("Cannot open")) << ui->statusLine()->text().toStdString();
    EXPECT_EQ(rows(), 1);

    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_TRUE(ui->openLibraryFolder(folder));
    EXPECT_EQ(opened, std::vector<QString>{folder});
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(ui->controller().pairDict()->empty());
    EXPECT_EQ(ui->window().windowTitle(), "Ongaku — yomi");
    EXPECT_EQ(gui::MainWindow::rememberedLibraryFolder(), folder);

    ui->setLibraryOpener([](const QString&) -> Status { return Failure{"refused"}; });
    EXPECT_FALSE(ui->openLibraryFolder(dir.path()));
    EXPECT_EQ(gui::MainWindow::rememberedLibraryFolder(), folder);
    EXPECT_TRUE(ui->statusLine()->text().endsWith("refused"));
}

TEST_F(DesktopTest, TheNextWindowTakesUpFieldAndGeometry)
{
    ui->fieldChooser()->setCurrentIndex(3);
    ui->window().resize(640, 410);
    ui.reset();

    ui = std::make_unique<gui::MainWindow>();
    EXPECT_EQ(ui->fieldChooser()->currentIndex(), 3);
    EXPECT_EQ(ui->controller().keyTag(), 3);
    EXPECT_EQ(ui->window().size(), QSize(640, 410));
}

TEST_F(DesktopTest, ShowLogStartsTheViewerSaveStarts)
{
    ui->showLogAction()->trigger();
    EXPECT_EQ(launcher->launched, std::vector<std::string>{"Console"});
}

TEST_F(DesktopTest, TheWindowSpeaksTheUsersLanguage)
{
    struct Case {
        QLocale locale;
        QString load;
        QString progress;
    };
    const Case cases[] = {
        {QLocale(QLocale::Japanese, QLocale::Japan), "スキャン(&L)", "0 / 0 曲"},
        {QLocale(QLocale::Chinese, QLocale::China), "载入(&L)", "0 / 0 首曲目"},
        {QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::HongKong), "載入(&L)", "0 / 0 首曲目"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(gui::installTranslations(guiApplication(), c.locale)) << c.locale.name().toStdString();
        ui = std::make_unique<gui::MainWindow>();
        EXPECT_EQ(ui->loadButton()->text(), c.load);
        // Load, Reading, Sort Value and Copy to Sort are four words; the
        // word for a reading appears in no other of them.
        const auto plain = [](QString t) { return t.remove(QRegularExpression(R"(\(&.\)|&)")); };
        const QString reading = plain(ui->readingButton()->text());
        const QStringList others{plain(ui->loadButton()->text()), plain(ui->copyToSortButton()->text()),
                                 view().model()->headerData(1, Qt::Horizontal).toString()};
        for (const QString& other : others)
            EXPECT_FALSE(other.contains(reading)) << other.toStdString() << " reads like " << reading.toStdString();
        EXPECT_EQ(QSet<QString>(others.begin(), others.end()).size(), 3) << others.join("|").toStdString();
        recordStatusAtProgress();
        click(ui->loadButton());
        EXPECT_EQ(shownAtProgress->value(0), c.progress);
        for (QTranslator* t : guiApplication().findChildren<QTranslator*>())
            delete t;
    }
    EXPECT_FALSE(gui::installTranslations(guiApplication(), QLocale(QLocale::French, QLocale::France)));
    ui = std::make_unique<gui::MainWindow>();
    EXPECT_EQ(ui->loadButton()->text(), "&Load");
}

} // namespace
} // namespace yomi::test
