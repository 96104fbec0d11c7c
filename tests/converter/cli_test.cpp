#include <gtest/gtest.h>

#include <QProcess>
#include <algorithm>
#include <set>

#include "fake_io_sys.h"
#include "gif_frames.h"
#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

CommandRun convert(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(QUENLARK_CONVERT_PROGRAM), arguments);
    process.waitForFinished(60000);
    CommandRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

QString q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

class ConvertCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testing::discPicture(1000, 500, 300).save(q(folder / "wide.png")));
    }
    TempFolder folder;
};

TEST_F(ConvertCommand, MakesALogo) {
    const CommandRun run = convert({q(folder / "wide.png"), q(folder / "logo.sys")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string logo = readBytes(folder / "logo.sys");
    ASSERT_EQ(logo.size(), 129078u);
    EXPECT_EQ(logo[0x32], 0);
}

TEST_F(ConvertCommand, EachFitModeGivesItsOwnLogo) {
    std::set<std::string> logos;
    for (const char* mode : {"--fit", "--fill", "--stretch"}) {
        const auto out = folder / (std::string(mode + 2) + ".sys");
        const CommandRun run = convert({mode, q(folder / "wide.png"), q(out)});
        ASSERT_EQ(run.status, 0) << mode << ": " << run.err;
        logos.insert(readBytes(out));
    }
    EXPECT_EQ(logos.size(), 3u);
    // --fit is what happens without a mode.
    ASSERT_EQ(convert({q(folder / "wide.png"), q(folder / "plain.sys")}).status, 0);
    EXPECT_EQ(readBytes(folder / "plain.sys"), readBytes(folder / "fit.sys"));
}

TEST_F(ConvertCommand, BandSetsTheFirstCycledEntry) {
    const CommandRun run =
        convert({q(folder / "wide.png"), q(folder / "logo.sys"), "--band", "236"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(static_cast<unsigned char>(readBytes(folder / "logo.sys")[0x32]), 236);
}

TEST_F(ConvertCommand, BorderColourIsEntryZero) {
    const CommandRun run =
        convert({q(folder / "wide.png"), q(folder / "logo.sys"), "--border", "#102030"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(folder / "logo.sys").substr(54, 4), std::string("\x30\x20\x10\0", 4));
}

TEST_F(ConvertCommand, KeepsAnExistingFileUnlessForced) {
    writeBytes(folder / "logo.sys", "old");
    const CommandRun kept = convert({q(folder / "wide.png"), q(folder / "logo.sys")});
    EXPECT_EQ(kept.status, 1);
    EXPECT_NE(kept.err.find("already exists"), std::string::npos) << kept.err;
    EXPECT_EQ(readBytes(folder / "logo.sys"), "old");

    const CommandRun forced = convert({"--force", q(folder / "wide.png"), q(folder / "logo.sys")});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(readBytes(folder / "logo.sys").size(), 129078u);
}

TEST_F(ConvertCommand, FailsWithStatus1AndASentence) {
    writeBytes(folder / "junk.png", "not a picture at all");
    struct Case {
        const char* what;
        QStringList arguments;
        const char* says;
    } cases[] = {
        {"missing picture", {q(folder / "none.png"), q(folder / "a.sys")}, "does not exist"},
        {"no picture", {q(folder / "junk.png"), q(folder / "b.sys")}, "is not a picture"},
        {"missing folder",
         {q(folder / "wide.png"), q(folder / "none" / "c.sys")},
         "cannot be written"},
    };
    for (const Case& c : cases) {
        const CommandRun run = convert(c.arguments);
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.what << ": " << run.err;
        EXPECT_EQ(run.err.rfind("quenlark-convert: ", 0), 0u) << run.err;
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"junk.png", "wide.png"}));
}

TEST_F(ConvertCommand, BadUsageIsStatus2) {
    const QString in = q(folder / "wide.png"), out = q(folder / "x.sys");
    const std::pair<const char*, QStringList> cases[] = {
        {"nothing", {}},
        {"one file", {in}},
        {"three files", {in, out, out}},
        {"unknown option", {"--sharpen", in, out}},
        {"two fit modes", {"--fill", "--stretch", in, out}},
        {"band without a number", {in, out, "--band"}},
        {"band not a number", {"--band", "many", in, out}},
        {"band too high", {"--band", "255", in, out}},
        {"band too low", {"--band", "1", in, out}},
        {"border not a colour", {"--border", "blue", in, out}},
        {"border too short", {"--border", "fff", in, out}},
    };
    for (const auto& [what, arguments] : cases) {
        const CommandRun run = convert(arguments);
        EXPECT_EQ(run.status, 2) << what << ": " << run.err;
        EXPECT_NE(run.err.find("Usage: quenlark-convert IN OUT"), std::string::npos) << what;
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"wide.png"});
}

TEST_F(ConvertCommand, WritesTheBuiltInLogoOrNothing) {
    const std::string logo = encodeLogo(testing::patternLogo());
    writeBytes(folder / "IO.SYS", testing::fakeIoSys(testing::compressLogoStream(logo)));
    writeBytes(folder / "EMPTY.SYS", testing::fakeIoSys(""));
    const CommandRun run =
        convert({"--builtin-logo", q(folder / "IO.SYS"), q(folder / "logo.sys")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(folder / "logo.sys"), logo);
    EXPECT_EQ(convert({"--builtin-logo", q(folder / "IO.SYS"), q(folder / "logo.sys")}).status, 1);
    EXPECT_EQ(
        convert({"--force", "--builtin-logo", q(folder / "IO.SYS"), q(folder / "logo.sys")}).status,
        0);

    writeBytes(folder / "huge.sys", "");
    std::filesystem::resize_file(folder / "huge.sys", (std::uintmax_t{4} << 20) + 1);
    const struct {
        QStringList arguments;
        int status;
        const char* says;
    } cases[] = {
        {{"--builtin-logo", q(folder / "EMPTY.SYS"), q(folder / "a.sys")}, 1, "holds no built-in"},
        {{"--builtin-logo", q(folder / "none.sys"), q(folder / "b.sys")}, 1, "does not exist"},
        {{"--builtin-logo", q(folder.path()), q(folder / "c.sys")}, 1, "is not a file"},
        {{"--builtin-logo", "/proc/self/mem", q(folder / "d.sys")}, 1, "cannot be read"},
        {{"--builtin-logo", q(folder / "huge.sys"), q(folder / "e.sys")}, 1, "too large"},
        {{"--builtin-logo", "--fill", q(folder / "IO.SYS"), q(folder / "f.sys")}, 2, "--fill"},
        {{"--builtin-logo", q(folder / "IO.SYS")}, 2, "one IO.SYS and one logo file"},
    };
    for (const auto& c : cases) {
        const CommandRun failed = convert(c.arguments);
        EXPECT_EQ(failed.status, c.status) << c.says << ": " << failed.err;
        EXPECT_NE(failed.err.find(c.says), std::string::npos) << failed.err;
        if (c.status == 1) {
            EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
        }
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"EMPTY.SYS", "IO.SYS", "huge.sys",
                                                        "logo.sys", "wide.png"}));
}

// A logo made with a bar, then its start-up screen as a GIF: a turn of 20
// steps by default.
TEST_F(ConvertCommand, WritesTheAnimationOrNothing) {
    ASSERT_EQ(convert({q(folder / "wide.png"), q(folder / "logo.sys"), "--band", "236"}).status, 0);
    const CommandRun run = convert({"--animation", q(folder / "logo.sys"), q(folder / "a.gif")});
    EXPECT_EQ(run.status, 0) << run.err;
    const testing::GifFrames turn = testing::readGif(readBytes(folder / "a.gif"));
    EXPECT_EQ(turn.frames.size(), 20u) << turn.error;
    EXPECT_TRUE(turn.loopsForever);
    const QString logo = q(folder / "logo.sys"), out = q(folder / "c.gif");
    EXPECT_EQ(convert({"--animation", "--scale", "2", "--seconds", "2", logo, q(folder / "b.gif")})
                  .status,
              0);
    const struct {
        QStringList arguments;
        int status;
        const char* says;
    } cases[] = {
        {{"--animation", q(folder / "wide.png"), out}, 1, "is not a logo that Windows shows"},
        {{"--animation", logo, q(folder / "a.gif")}, 1, "already exists"},
        {{"--animation", "--scale", "3", "--seconds", "2", logo, out}, 2, "scale must be 1 or 2"},
        {{"--animation", "--seconds", "soon", logo, out}, 2, "need numbers"},
        {{"--seconds", "2", q(folder / "wide.png"), q(folder / "x.sys")}, 2, "--animation only"},
        {{"--animation", "--band", "236", logo, out}, 2, "no picture options (--band)"},
        {{"--animation", "--builtin-logo", logo, out}, 2, "only one of"},
    };
    for (const auto& c : cases) {
        const CommandRun failed = convert(c.arguments);
        EXPECT_EQ(failed.status, c.status) << c.says << ": " << failed.err;
        EXPECT_NE(failed.err.find(c.says), std::string::npos) << failed.err;
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"a.gif", "b.gif", "logo.sys", "wide.png"}));
}

TEST(ConvertCommandInfo, HelpAndVersionSucceed) {
    const CommandRun help = convert({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--band <FIRST>"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--force"), std::string::npos);

    const CommandRun version = convert({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("quenlark-convert ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace quenlark::converter
