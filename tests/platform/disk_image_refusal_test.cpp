// What the disk image layer refuses, always with a sentence and with the
// image's bytes as they were.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "disk_image_fixture.h"
#include "image_guard.h"
#include "ordinary_user.h"
#include "process_files.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using namespace std::chrono_literals;

// Whether the process has ended, given a moment to finish dying; one that is
// not yet collected has.
bool ends(pid_t pid) {
    for (int i = 0; i < 100; ++i) {
        const std::string stat = readProcessFile(pid, "stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z')
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

pid_t numberIn(const fs::path& file) {
    return static_cast<pid_t>(std::stoi("0" + fileContent(file)));
}

void overwrite(const fs::path& file, std::uint64_t offset, const std::string& bytes) {
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(DiskImageTest, RefusesToOpenWhatItCannotReadRight) {
    const auto raw = maker.makeRaw("disk.img", windowsRecipe());
    auto vhd = maker.convert(raw, ImageFormat::DynamicVhd, "diff.vhd");
    const auto vhdSize = fs::file_size(vhd.file);
    overwrite(vhd.file, vhdSize - 512 + 60, std::string("\0\0\0\4", 4));
    overwrite(vhd.file, 60, std::string("\0\0\0\4", 4));
    auto vdi = maker.convert(raw, ImageFormat::DynamicVdi, "diff.vdi");
    overwrite(vdi.file, 0x4c, std::string("\4\0\0\0", 4));
    const auto truncated = maker.makeRaw("truncated.img", windowsRecipe());
    fs::resize_file(truncated.file, 4 * 1024 * 1024);
    const auto unformatted = maker.makeRaw("nofat.img", windowsRecipe());
    overwrite(unformatted.file, unformatted.offset, std::string(512, '\0'));
    const auto logical = maker.makeRaw("logical.img", windowsRecipe(16, PartitionLayout::Logical));
    const auto bare = maker.makeRaw("bare.img", windowsRecipe(12, PartitionLayout::Bare));
    const fs::path split = raw.file.parent_path() / "split.vmdk";
    TempDrive::put(split,
                   "# Disk DescriptorFile\nversion=1\ncreateType=\"twoGbMaxExtentSparse\"\n");

    const std::vector<std::tuple<fs::path, std::optional<int>, std::string>> cases{
        {vhd.file, {}, "differencing VHD"},
        {vdi.file, {}, "differencing VDI"},
        {truncated.file, {}, "shorter than its partition table says"},
        {unformatted.file, {}, "has no FAT partition"},
        {unformatted.file, 1, "holds no FAT file system"},
        {raw.file, 3, "has no partition 3 (it has 1)"},
        {logical.file, 2, "extended partition"},
        {bare.file, 1, "has no partition table"},
        {split, {}, "several files"},
        {raw.file.parent_path() / "missing.img", {}, "cannot be read"},
    };
    for (const auto& [file, partition, expected] : cases) {
        const std::string before = fileContent(file);
        EXPECT_TRUE(mentions(refusal(file, partition), expected));
        EXPECT_TRUE(fileContent(file) == before) << file;
    }
    // mtools never sees the work folder's path, so "@@" in it is no offset.
    const std::string before = fileContent(raw.file);
    auto opened = DiskImage::open({raw.file, {}, drive.root().parent_path() / "work@@1"});
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<DiskImage>>(opened));
    EXPECT_TRUE(fileContent(raw.file) == before);
}

class ImageChangeRefusal : public DiskImageTest {
  protected:
    void SetUp() override {
        image = maker.makeRaw("disk.img", windowsRecipe());
        disk = open(image);
        ASSERT_TRUE(disk);
        files = std::make_unique<ImageFileSystem>(*disk, DriveMap(), onHost(drive.tools()));
        TempDrive::put(drive.tools() / "new.bmp", logoBytes("new"));
    }

    // The swap's copy is refused for `reason`, and the image is as it was.
    void expectRefused(const std::string& reason) {
        const std::string before = fileContent(image.file);
        EXPECT_FALSE(files->copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS"));
        EXPECT_TRUE(mentions(files->lastFailure(), reason));
        EXPECT_TRUE(fileContent(image.file) == before);
        EXPECT_EQ(brief(files->readFile("C:\\WINDOWS\\LOGOW.SYS", 1 << 20)),
                  brief(logoBytes("old wait")));
    }

    MadeImage image;
    std::unique_ptr<DiskImage> disk;
    std::unique_ptr<ImageFileSystem> files;
};

TEST_F(ImageChangeRefusal, ReadOnlyFile) {
    fs::permissions(image.file, fs::perms::owner_read | fs::perms::group_read);
    disk = open(image);
    files = std::make_unique<ImageFileSystem>(*disk, DriveMap(), onHost(drive.tools()));
    EXPECT_FALSE(disk->changesPossible());
    EXPECT_TRUE(mentions(disk->whyReadOnly().value_or(""), "read-only"));
    // Known before any change is tried; the host's folders are still open.
    EXPECT_EQ(files->whyCannotChange("C:\\WINDOWS\\LOGOW.SYS"), disk->whyReadOnly());
    EXPECT_EQ(files->whyCannotChange("new.bmp"), std::nullopt);
    expectRefused("is read-only");
}

TEST_F(ImageChangeRefusal, HeldByAnEmulatorOrAnotherProgram) {
    SKIP_WITHOUT_FUSE();
    const auto daemon = startTool(
        maker.environment(), "qemu-storage-daemon",
        {"--blockdev",
         "{\"driver\":\"file\",\"node-name\":\"f\",\"filename\":\"" + image.file.string() + "\"}",
         "--nbd-server",
         "addr.type=unix,addr.path=" + (drive.root().parent_path() / "nbd").string(), "--export",
         "type=nbd,id=e,node-name=f,writable=on"},
        drive.root().parent_path() / "emulator.log");
    ASSERT_TRUE(daemon);
    for (int i = 0; i < 500 && !whyImageIsInUse(image.file, {}); ++i)
        std::this_thread::sleep_for(10ms);
    expectRefused("an emulator holds its lock");
    ::kill(*daemon, SIGTERM);
    waitForTool(*daemon, 10s);

    const pid_t holder = ::fork();
    if (holder == 0) {
        std::ifstream held(image.file);
        ::pause();
        ::_exit(0);
    }
    std::this_thread::sleep_for(100ms);
    expectRefused("has it open");
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    {
        ImageChangeLock otherQuenlark(image.file);
        ASSERT_TRUE(otherQuenlark.held());
        expectRefused("being changed by another Quenlark");
    }
    EXPECT_TRUE(files->copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS")) << files->lastFailure();
}

// A change is judged by what it adds to what fsck.fat finds: FATs that
// differ already do not stop it, but a cluster it leaves in use by no file
// does (an mmove that goes on to mark one in both FATs).
TEST_F(ImageChangeRefusal, DamagedFileSystem) {
    SKIP_WITHOUT_FUSE();
    const std::string volume = image.file.string() + "@@" + std::to_string(image.offset);
    const std::string info = maker.run("minfo", {"-i", volume, "::"});
    const auto firstFat = numberAfter(info, "reserved (boot) sectors:") * 512;
    const auto secondFat = firstFat + numberAfter(info, "sectors per fat:") * 512;
    overwrite(image.file, image.offset + secondFat + 4000, "\xff\xff");
    ASSERT_TRUE(mentions(maker.fsckFindings(image), "FATs differ"));
    EXPECT_TRUE(files->copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS")) << files->lastFailure();
    EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("new")));
    const std::string found = maker.fsckFindings(image);
    EXPECT_TRUE(mentions(found, "FATs differ"));
    EXPECT_FALSE(mentions(found, "Reclaimed"));

    ToolFolder tools(drive.root().parent_path() / "bin");
    const std::string lost = std::to_string(2 * 15000);
    tools.replace("mmove",
                  "/usr/bin/mmove \"$@\" || exit 1\nfor at in " + std::to_string(firstFat) + " " +
                      std::to_string(secondFat) +
                      "; do printf '\\377\\377' | /usr/bin/dd of=\"$2\" bs=1 seek=$((at + " + lost +
                      ")) conv=notrunc status=none; done");
    TempDrive::put(drive.tools() / "new.bmp", logoBytes("newer"));
    const std::string before = fileContent(image.file);
    EXPECT_FALSE(files->copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS"));
    EXPECT_TRUE(mentions(files->lastFailure(), "that were not there before (Reclaimed 1 unused"));
    EXPECT_TRUE(fileContent(image.file) == before);
}

TEST_F(ImageChangeRefusal, ToolsThatAreMissingOrFail) {
    SKIP_WITHOUT_FUSE();
    ToolFolder tools(drive.root().parent_path() / "bin");
    tools.remove("qemu-img");
    expectRefused("install the Debian package qemu-utils");
    tools.replace("qemu-img", "exec /usr/bin/qemu-img \"$@\"");
    tools.remove("qemu-storage-daemon");
    expectRefused("install the Debian package qemu-system-common");
    EXPECT_TRUE(mentions(refusal(maker.convert(image, ImageFormat::Qcow2, "disk.qcow2").file),
                         "qemu-system-common"));
    tools.replace("qemu-storage-daemon", "exec /usr/bin/qemu-storage-daemon \"$@\"");

    // What mcopy reads back is not what it wrote.
    tools.replace("mcopy",
                  "case \"$*\" in *' -') /usr/bin/mcopy \"$@\" | /usr/bin/sed s/BM/XM/ ;;"
                  " *) exec /usr/bin/mcopy \"$@\" ;; esac");
    const std::string before = fileContent(image.file);
    EXPECT_FALSE(files->copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS"));
    EXPECT_TRUE(mentions(files->lastFailure(), "differs from what was written"));
    EXPECT_TRUE(fileContent(image.file) == before);
    tools.replace("mcopy", "exec /usr/bin/mcopy \"$@\"");

    // A commit that fails is kept, and finished by the next open that can.
    tools.replace("qemu-img", "[ \"$1\" = commit ] && exit 1; exec /usr/bin/qemu-img \"$@\"");
    expectRefused("finished the next time the image is opened");
    tools.replace("qemu-img", "exec /usr/bin/qemu-img \"$@\"");
    disk.reset();
    fs::permissions(image.file, fs::perms::owner_read);
    EXPECT_TRUE(mentions(refusal(image.file), "cut short and cannot be finished"));
    fs::permissions(image.file, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(open(image));
    EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("new")));
    EXPECT_EQ(maker.fsckFindings(image), "");
}

// Every tool runs bounded in time, output and memory, in a process group of
// its own that ends with it: what it started ends too, also what a wrapper
// script of a daemon started, when the image is let go and after a killed run.
TEST_F(DiskImageTest, ToolsEndWithWhatTheyStartedWithinTheirBounds) {
    const ToolEnvironment& tools = maker.environment();
    const auto left = runTool(tools, "sh", {"-c", "sleep 300 & echo $!"}, 10s);
    ASSERT_TRUE(left.exitedCleanly());
    EXPECT_TRUE(ends(std::stoi(left.out)));
    const auto flood = runTool(tools, "yes", {}, ToolRun{10s, 4096});
    EXPECT_TRUE(flood.outputCut);
    EXPECT_EQ(flood.out.size(), 4096u);
    const auto start = std::chrono::steady_clock::now();
    const auto hang = runTool(tools, "sh", {"-c", "sleep 300 & echo $!; sleep 300"}, 300ms);
    EXPECT_TRUE(hang.timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(ends(std::stoi(hang.out)));
    EXPECT_TRUE(mentions(toolFailureSentence("sh", hang), "sh did not finish within 0 s"));
    // A number that leads no group of ours (a daemon that never started)
    // signals nothing: not our own group, nor every process we may reach.
    // Tried in a child that leads a group of its own, so that a fault ends
    // only the child.
    const pid_t prober = ::fork();
    if (prober == 0) {
        ::setpgid(0, 0);
        signalTool(0, SIGKILL);
        waitForTool(0, 10ms);
        ::_exit(0);
    }
    int probed = 0;
    ASSERT_EQ(::waitpid(prober, &probed, 0), prober);
    EXPECT_TRUE(WIFEXITED(probed) && WEXITSTATUS(probed) == 0);

    SKIP_WITHOUT_FUSE();
    const auto image =
        maker.convert(maker.makeRaw("w.img", windowsRecipe()), ImageFormat::Qcow2, "w.qcow2");
    ToolFolder programs(drive.root().parent_path() / "bin");
    programs.replace("mdir", "exec /usr/bin/dd if=/dev/zero of=/dev/null bs=400M count=1");
    EXPECT_TRUE(mentions(toolFailureSentence("mdir", runTool(tools, "mdir", {}, 10s)),
                         "mdir ran out of the 256 MiB of memory it may use"));
    const fs::path sleeper = drive.root().parent_path() / "sleeper";
    programs.replace("qemu-storage-daemon", "/usr/bin/sleep 300 & echo $! > '" + sleeper.string() +
                                                "'\n/usr/bin/qemu-storage-daemon \"$@\"");
    open(image).reset();
    EXPECT_TRUE(ends(numberIn(sleeper)));

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t killed = ::fork();
    if (killed == 0) {
        auto opened = DiskImage::open({image.file, {}, workFolder()});
        ::write(ready[1], "r", std::holds_alternative<std::string>(opened) ? 0 : 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ::kill(killed, SIGKILL);
    ::waitpid(killed, nullptr, 0);
    const pid_t leftBehind = numberIn(sleeper);
    ASSERT_FALSE(readProcessFile(leftBehind, "stat").empty());
    ASSERT_TRUE(open(image));
    EXPECT_TRUE(ends(leftBehind));
}

// Without FUSE, as an ordinary user is on a machine where /dev/fuse is
// root's alone: raw images and fixed VHDs are read as ever, a change is
// refused before anything is made, and the other formats are refused, each
// with the one sentence that says why.
TEST_F(DiskImageTest, WithoutFuseRawImagesAreReadAndChangesRefused) {
    std::string why;
    const auto user = ordinaryUser(&why);
    if (!user)
        GTEST_SKIP() << why;
    const MadeImage raw = maker.makeRaw("disk.img", windowsRecipe());
    const MadeImage fixed = maker.convert(raw, ImageFormat::FixedVhd, "disk.vhd");
    const MadeImage qcow2 = maker.convert(raw, ImageFormat::Qcow2, "disk.qcow2");
    TempDrive::put(drive.tools() / "new.bmp", logoBytes("new"));
    const fs::path failures = drive.root().parent_path() / "failures";
    handOver(drive.root().parent_path(), *user);

    const std::string before = fileContent(raw.file);
    const int status = runAsUser(*user, [&] {
        const auto noFuse = whyFuseIsUnusable();
        if (!noFuse)
            return 100;
        const std::string sentence = noFuseSentence(*noFuse);
        std::ofstream out(failures);
        auto check = [&](bool holds, const std::string& what) {
            if (!holds)
                out << what << "\n";
        };
        check(refusal(qcow2.file) == sentence, "qcow2: " + refusal(qcow2.file));
        for (const MadeImage* image : {&raw, &fixed}) {
            auto opened = DiskImage::open({image->file, {}, workFolder()});
            auto* disk = std::get_if<std::unique_ptr<DiskImage>>(&opened);
            if (!disk) {
                check(false, "not opened: " + std::get<std::string>(opened));
                continue;
            }
            check((*disk)->whyReadOnly() == sentence, "whyReadOnly");
            ImageFileSystem files(**disk, DriveMap(), onHost(drive.tools()));
            check(files.readFile("C:\\WINDOWS\\LOGOW.SYS", 1 << 20) == logoBytes("old wait"),
                  "read: " + files.lastFailure());
            check(!files.copyFile("new.bmp", "C:\\WINDOWS\\LOGOW.SYS") &&
                      files.lastFailure() == sentence,
                  "change: " + files.lastFailure());
            std::string notes;
            for (const auto& note : files.volumeNotes('C'))
                notes += note;
            check(mentions(notes, "was not checked for lost clusters and other errors: " +
                                      sentence.substr(0, sentence.size() - 1)),
                  "notes: " + notes);
        }
        check(fileContent(raw.file) == before, "the raw image was changed");
        out << "checked\n";
        return 0;
    });
    if (status == 100)
        GTEST_SKIP() << "this machine lets an ordinary user use FUSE";
    ASSERT_EQ(status, 0);
    EXPECT_EQ(fileContent(failures), "checked\n");
}

}  // namespace
}  // namespace quenlark
