// The window's Reading command with a fake engine: enabled state, the
// refused-values message, the remembered style, and the alternatives in the
// sort cell's editor, learned on Save when typed.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

#include "Category/Reading.h"
#include "Window/PairListModel.h"
#include "gui/GuiFixture.h"
#include "support/AudioFixtures.h"
#include "support/FakeReadingEngine.h"
#include "support/FixedValueReader.h"

namespace yomi::test {
namespace {

class ReadingWindow : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        addTrack("artist", u"靖子", "sortArtist", u"");
        addTrack("artist", u"王菲", "sortArtist", u"Faye");
        ASSERT_FALSE(ui->readingButton()->isEnabled());
        EXPECT_TRUE(ui->readingButton()->toolTip().contains("mecab-ipadic-utf8"));
        auto engine = std::make_unique<FakeReadingEngine>();
        engine->table[u"靖子"] = {u"ヤスコ", u"セイコ", u"キヨコ"};
        // The user's readings file of this test only.
        const char* previous = std::getenv("XDG_CONFIG_HOME");
        const std::string saved = previous ? previous : "";
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        ui->setReadingKit(std::make_unique<ReadingKit>(std::move(engine)));
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        click(ui->loadButton());
        ASSERT_EQ(column(0), (QStringList{"靖子", "王菲"}));
    }
    TempFolder config;
};

TEST_F(ReadingWindow, ReadsTheSelectionInTheChosenStyleAndNamesRefusedValues)
{
    ASSERT_TRUE(ui->readingButton()->isEnabled());
    ui->readingStyleChooser()->setCurrentIndex(1);
    view().selectAll();
    click(ui->readingButton());
    EXPECT_EQ(column(1), (QStringList{"やすこ", "Faye"}));
    EXPECT_EQ(ui->statusLine()->text(), "1 row changed; 1 value has no reading: 王菲; 1 reading to check");

    // The style is remembered by the next window; the shortcut runs Reading.
    ui->readingStyleChooser()->setCurrentIndex(2);
    EXPECT_EQ(gui::MainWindow().readingStyleChooser()->currentIndex(), 2);
    QTest::keyClick(&ui->window(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(column(1), (QStringList{"yasuko", "Faye"}));
    ui->readingStyleChooser()->setCurrentIndex(0);
}

TEST_F(ReadingWindow, SortEditorOffersAlternativesAndTypedKanaIsLearnedOnSave)
{
    ui->readingStyleChooser()->setCurrentIndex(0);
    clickRow(0);
    click(ui->readingButton());
    const QModelIndex sortCell = view().model()->index(0, 1);
    view().edit(sortCell);
    auto* combo = view().viewport()->findChild<QComboBox*>("readingAlternatives");
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "ヤスコ");
    EXPECT_TRUE(combo->isEditable());
    combo->setCurrentIndex(1);
    view().setFocus();
    QApplication::processEvents();
    EXPECT_EQ(cell(0, 1), "セイコ");

    click(ui->saveButton());
    EXPECT_EQ(library->track(0).get("sortArtist").copy(), OptString(u"セイコ"));
    UserReadings learned(config.path() / "yomi" / "readings.tsv");
    ASSERT_TRUE(learned.load());
    ASSERT_NE(learned.find(u"靖子"), nullptr);
    EXPECT_EQ(*learned.find(u"靖子"), u"セイコ");
}

TEST_F(ReadingWindow, ReadAsALanguageShowsEachRowsLanguageAndTheSettingsAreRemembered)
{
    auto engine = std::make_unique<FakeReadingEngine>();
    engine->table[u"靖子"] = {u"ヤスコ"};
    auto kit = std::make_unique<ReadingKit>(std::move(engine));
    kit->setEngine(std::make_unique<FixedValueReader>(Language::Chinese, u"Wang Fei", u"ㄨㄤ ㄈㄟ"));
    ui->setReadingKit(std::move(kit));
    ASSERT_NE(ui->readingMenu(), nullptr);
    EXPECT_TRUE(ui->readAsAction(Language::Chinese)->isEnabled());
    EXPECT_FALSE(ui->readAsAction(Language::Korean)->isEnabled()) << "no Korean engine in this kit";

    clickRow(1);
    ui->readAsAction(Language::Chinese)->trigger();
    EXPECT_EQ(column(1), (QStringList{"", "Faye"})) << "the library's own sort value suits a Chinese reading";
    EXPECT_EQ(column(3), (QStringList{"", "Chinese"}));
    EXPECT_EQ(view().model()->index(1, 3).data(Qt::ToolTipRole).toString(), "chosen by you");

    view().selectAll();
    ui->readingSettingAction("ja")->trigger();
    click(ui->readingButton());
    EXPECT_EQ(column(1), (QStringList{"ヤスコ", "Faye"}))
        << "王菲 is decided Japanese, the default, has no Japanese reading and keeps its sort value";
    EXPECT_EQ(column(3), (QStringList{"Japanese", "Japanese"}));
    EXPECT_EQ(view().model()->index(0, 3).data(Qt::ToolTipRole).toString(),
              "Han characters only: the default language");

    // The default language and the Chinese style apply at once and are
    // remembered by the next window.
    ui->readingSettingAction("zh")->trigger();
    ui->readingSettingAction("zhuyin")->trigger();
    EXPECT_EQ(ui->reader().prefer, Language::Chinese);
    clickRow(1);
    click(ui->readingButton());
    EXPECT_EQ(cell(1, 1), "ㄨㄤ ㄈㄟ");
    {
        gui::MainWindow next;
        EXPECT_EQ(next.reader().prefer, Language::Chinese);
        EXPECT_EQ(next.reader().styles.chinese, ChineseStyle::Zhuyin);
        EXPECT_TRUE(next.readingSettingAction("zhuyin")->isChecked());
    }
    ui->readingSettingAction("ja")->trigger();
    ui->readingSettingAction("pinyin")->trigger();
    EXPECT_EQ(gui::MainWindow().reader().prefer, Language::Japanese);
}

} // namespace
} // namespace yomi::test

namespace yomi::test {
namespace {

TEST_F(ReadingWindow, ReadingsToCheckAreMarkedCountedAndFilteredAndAChoiceCountsAsSure)
{
    ui->readingStyleChooser()->setCurrentIndex(0);
    view().selectAll();
    click(ui->readingButton());
    const QModelIndex sortCell = view().model()->index(0, 1);
    EXPECT_EQ(sortCell.data(gui::PairListModel::ConfidenceRole).toInt(), static_cast<int>(Confidence::Check))
        << "the engine gave it as check";
    EXPECT_FALSE(sortCell.data(Qt::DecorationRole).isNull()) << "a mark in the sort cell";
    EXPECT_EQ(sortCell.data(Qt::ToolTipRole).toString(), "ヤスコ\nCheck: from the table");
    EXPECT_FALSE(view().model()->index(1, 1).data(gui::PairListModel::ConfidenceRole).isValid())
        << "王菲 got no reading";
    EXPECT_TRUE(ui->saveButton()->toolTip().endsWith("; 1 reading to check"))
        << ui->saveButton()->toolTip().toStdString();

    ui->onlyToCheckBox()->setChecked(true);
    EXPECT_EQ(column(0), (QStringList{"靖子"}));
    // Choosing another reading makes it sure: it leaves the filtered list.
    ASSERT_TRUE(view().model()->setData(view().model()->index(0, 1), "セイコ"));
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(ui->saveButton()->toolTip().contains("to check"));
    ui->onlyToCheckBox()->setChecked(false);
    EXPECT_EQ(view().model()->index(0, 1).data(Qt::ToolTipRole).toString(), "セイコ\nSure: chosen by you");
}

} // namespace
} // namespace yomi::test
