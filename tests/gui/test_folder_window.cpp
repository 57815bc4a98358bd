// The main window over a folder library of real audio files in four formats:
// tags written and read back with mutagen, independently of TagLib.

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "Bridge/Folder/FolderLibrary.h"
#include "Category/StringUtility.h"
#include "gui/GuiFixture.h"
#include "support/AudioFixtures.h"

namespace yomi::test {
namespace {

namespace fs = std::filesystem;

// Sets or reads the artist and sort artist of files. Arguments: "set" or
// "get", then the path of a UTF-8 listing with one line a file:
// "path<TAB>artist<TAB>sort" ("-" for an absent sort). "get" prints
// "path<TAB>sort" lines, "-" for an absent one.
constexpr const char* kTagScript = R"PY(
import sys
from mutagen.id3 import ID3, TPE1, TSOP
from mutagen.flac import FLAC
from mutagen.mp4 import MP4
from mutagen.oggvorbis import OggVorbis

def fields(path):
    if path.endswith('.mp3'):
        return 'id3'
    if path.endswith('.m4a'):
        return ('\xa9ART', 'soar')
    return ('ARTIST', 'ARTISTSORT')

mode, listing = sys.argv[1], sys.argv[2]
for line in open(listing, encoding='utf-8').read().split('\n'):
    if not line:
        continue
    path, artist, sort = line.split('\t')
    kind = fields(path)
    if kind == 'id3':
        t = ID3(path)
        if mode == 'set':
            t.add(TPE1(encoding=3, text=[artist]))
            if sort != '-':
                t.add(TSOP(encoding=3, text=[sort]))
            t.save()
        else:
            print(path + '\t' + (str(t['TSOP'].text[0]) if 'TSOP' in t else '-'))
        continue
    f = {'m4a': MP4, 'flac': FLAC, 'ogg': OggVorbis}[path.rsplit('.', 1)[1]](path)
    if f.tags is None:
        f.add_tags()
    value_key, sort_key = kind
    if mode == 'set':
        f.tags[value_key] = [artist]
        if sort != '-':
            f.tags[sort_key] = [sort]
        f.save()
    else:
        print(path + '\t' + (f.tags[sort_key][0] if sort_key in f.tags else '-'))
)PY";

class FolderWindowTest : public GuiTest {
protected:
    struct File {
        std::string relative;
        std::string templateFile;
        std::string artist;
        std::string sort; // "-": absent
    };

    void SetUp() override
    {
        GuiTest::SetUp();
        script_ = folder_.writeFile(".tools/tag.py", kTagScript);
    }

    void TearDown() override
    {
        GuiTest::TearDown();
        folderRegistration_.reset();
    }

    fs::path root() const { return folder_.path() / "library"; }

    void makeLibrary(const std::vector<File>& files)
    {
        std::string listing;
        for (const File& f : files) {
            const fs::path copy = folder_.copyTemplate(f.templateFile, fs::path("library") / f.relative);
            listing += copy.string() + "\t" + f.artist + "\t" + f.sort + "\n";
        }
        runTool("set", listing);
        registration.reset();
        folderRegistration_ = std::make_unique<bridge::ScopedApplication>(bridge::kMusicApplicationIdentifier,
                                                                          bridge::folder::openFolderLibrary(root()));
    }

    // The sort artist of each file as mutagen reads it, by relative path.
    std::map<std::string, std::string> sortArtists(const std::vector<File>& files)
    {
        std::string listing;
        for (const File& f : files)
            listing += (root() / f.relative).string() + "\t-\t-\n";
        std::map<std::string, std::string> out;
        std::istringstream lines(runTool("get", listing));
        for (std::string line; std::getline(lines, line);) {
            const auto tab = line.find('\t');
            if (tab != std::string::npos)
                out[fs::relative(line.substr(0, tab), root()).string()] = line.substr(tab + 1);
        }
        return out;
    }

private:
    std::string runTool(const std::string& mode, const std::string& listing)
    {
        const fs::path listingFile = folder_.writeFile(".tools/listing-" + mode + ".txt", listing);
        int status = -1;
        const std::string out = runCommand("/usr/bin/python3 " + shellQuote(script_.string()) + " " + mode + " " +
                                               shellQuote(listingFile.string()) + " 2>&1",
                                           &status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }

    TempFolder folder_;
    fs::path script_;
    std::unique_ptr<bridge::ScopedApplication> folderRegistration_;
};

TEST_F(FolderWindowTest, LoadEditAndSaveWriteTheFiles)
{
    const std::vector<File> files = {
        {"a/1.mp3", "template.mp3", "宇多田光", ""},     {"a/2.flac", "template.flac", "宇多田光", "Utada"},
        {"b/3.m4a", "template.m4a", "久石譲", ""},       {"c/4.ogg", "template.ogg", "スピッツ", ""},
        {"d/5.m4a", "template.m4a", "王菲", "Wang Fei"}, {"d/6.mp3", "template-v23.mp3", "王菲", "-"},
    };
    makeLibrary(files);

    ui->fieldChooser()->setCurrentIndex(0);
    click(ui->loadButton());
    ASSERT_EQ(column(0), (QStringList{"宇多田光", "久石譲", "王菲"}));
    EXPECT_EQ(column(1), (QStringList{"Utada", "", "Wang Fei"}));

    clickRow(1);
    click(ui->romajiButton());
    const QString reading = QString::fromStdU16String(romaji(std::u16string_view(u"久石譲")));
    ASSERT_FALSE(reading.isEmpty());
    EXPECT_EQ(cell(1, 1), reading);

    view().edit(view().model()->index(2, 1));
    auto* editor = view().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Faye Wong");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(cell(2, 1), "Faye Wong");

    click(ui->saveButton());
    EXPECT_TRUE(ui->progressIndicator()->isHidden());
    const auto sorts = sortArtists(files);
    EXPECT_EQ(sorts.at("a/1.mp3"), "Utada");
    EXPECT_EQ(sorts.at("a/2.flac"), "Utada");
    EXPECT_EQ(sorts.at("b/3.m4a"), reading.toStdString());
    EXPECT_EQ(sorts.at("c/4.ogg"), "");
    EXPECT_EQ(sorts.at("d/5.m4a"), "Faye Wong");
    EXPECT_EQ(sorts.at("d/6.mp3"), "Faye Wong");
    EXPECT_EQ(launcher->launched, std::vector<std::string>{"Console"});

    // A second Load reads the saved values back from the files.
    click(ui->loadButton());
    EXPECT_EQ(column(0), (QStringList{"宇多田光", "久石譲", "王菲"}));
    EXPECT_EQ(column(1), (QStringList{"Utada", reading, "Faye Wong"}));
}

} // namespace
} // namespace yomi::test
