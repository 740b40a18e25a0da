// Media file lookup: candidate order, folders counting as found, program path splitting, the
// "media\" retry and over-long candidates, on real folders under the test's working folder.
#include "FindMediaFile.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>

namespace {

std::string CurrentFolder()
{
    char buffer[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(buffer), buffer);
    std::string s = buffer;
    if (!s.empty() && s.back() != '\\') s += '\\';
    return s;
}

void MakeFolders(const std::string& path)
{
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] == '\\' && i > 2) CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

void Touch(const std::string& path) { ASSERT_TRUE(testsupport::WriteFileText(path, "x")); }

// A pretend program at <cwd>lookup\game\bin\demo.exe: the program folder and its relatives.
struct FakeProgram {
    std::string root = CurrentFolder() + "lookup\\";
    std::string dir = root + "game\\bin\\";
    std::string name = "demo\\";
    FakeProgram()
    {
        MakeFolders(dir);
        MakeFolders(root + "game\\demo\\");
        MakeFolders(root + "demo\\");
    }
};

} // namespace

TEST(MediaLookup, SplitsProgramPathIntoFolderAndNameWithoutExtension)
{
    char dir[kMediaPathSize], name[kMediaPathSize];
    SplitProgramPath("C:\\game\\bin\\demo.exe", dir, name);
    EXPECT_STREQ(dir, "C:\\game\\bin\\");
    EXPECT_STREQ(name, "demo\\");
    SplitProgramPath("C:\\game\\bin\\demo", dir, name);
    EXPECT_STREQ(name, "demo\\");
    SplitProgramPath("C:\\game.d\\my.demo.exe", dir, name);
    EXPECT_STREQ(dir, "C:\\game.d\\");
    EXPECT_STREQ(name, "my.demo\\");
    SplitProgramPath("demo.exe", dir, name);
    EXPECT_STREQ(dir, "demo.exe");
    EXPECT_STREQ(name, "");
}

TEST(MediaLookup, CandidatesAreTriedInOrder)
{
    FakeProgram p;
    char out[kMediaPathSize];
    // Present in the current folder and the program folder: the current folder wins.
    Touch("ml_both.txt");
    Touch(p.dir + "ml_both.txt");
    ASSERT_TRUE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_both.txt", out));
    EXPECT_STREQ(out, ".\\ml_both.txt");

    // Only beside the program.
    Touch(p.dir + "ml_prog.txt");
    ASSERT_TRUE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_prog.txt", out));
    EXPECT_EQ(std::string(out), p.dir + "ml_prog.txt");

    // In the program folder's parent and in the program-named sibling: the parent comes first.
    Touch(p.root + "game\\ml_parent.txt");
    Touch(p.root + "game\\demo\\ml_parent.txt");
    ASSERT_TRUE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_parent.txt", out));
    EXPECT_EQ(std::string(out), p.dir + "..\\ml_parent.txt");

    // Only in the folder named after the program beside the program folder.
    Touch(p.root + "game\\demo\\ml_sibling.txt");
    ASSERT_TRUE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_sibling.txt", out));
    EXPECT_EQ(std::string(out), p.dir + "..\\demo\\ml_sibling.txt");

    // Only in the folder named after the program beside the program folder's parent.
    Touch(p.root + "demo\\ml_far.txt");
    ASSERT_TRUE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_far.txt", out));
    EXPECT_EQ(std::string(out), p.dir + "..\\..\\demo\\ml_far.txt");
}

TEST(MediaLookup, FolderCountsAsFoundAndMissingLeavesOutputAlone)
{
    FakeProgram p;
    char out[kMediaPathSize];
    MakeFolders(p.dir + "ml_folder");
    ASSERT_TRUE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_folder", out));
    EXPECT_EQ(std::string(out), p.dir + "ml_folder");

    strcpy(out, "untouched");
    EXPECT_FALSE(FindMediaFileInDirs(p.dir.c_str(), p.name.c_str(), "ml_nowhere.txt", out));
    EXPECT_STREQ(out, "untouched");
}

TEST(MediaLookup, OverLongCandidatesAreSkippedNotCut)
{
    char out[kMediaPathSize + 16];
    memset(out, '#', sizeof(out));
    // A program folder so long that every candidate built on it passes the limit.
    std::string longDir = "C:\\" + std::string(250, 'd') + "\\";
    Touch("ml_short.txt");
    ASSERT_TRUE(FindMediaFileInDirs(longDir.c_str(), "demo\\", "ml_short.txt", out));
    EXPECT_STREQ(out, ".\\ml_short.txt");

    // A cut candidate "C:\ddd...\ml" could name something that exists; nothing may be found
    // and nothing written past the buffer.
    memset(out, '#', sizeof(out));
    EXPECT_FALSE(FindMediaFileInDirs(longDir.c_str(), "demo\\", "ml_absent_long_name.txt", out));
    for (size_t i = 0; i < sizeof(out); ++i) ASSERT_EQ(out[i], '#');

    std::string longLeaf(300, 'x');
    EXPECT_FALSE(FindMediaFile(longLeaf.c_str(), out));
}

TEST(MediaLookup, RealProgramFolderAndMediaRetry)
{
    char out[kMediaPathSize];
    // The test program lives in <build>\bin; the working folder is <build>\testrun\test_parts2.
    const std::string bin = testsupport::ProgramFolder();
    Touch(bin + "ml_inbin.txt");
    ASSERT_TRUE(FindMediaFile("ml_inbin.txt", out));
    EXPECT_EQ(lstrcmpiA(out, (bin + "ml_inbin.txt").c_str()), 0) << out;
    DeleteFileA((bin + "ml_inbin.txt").c_str());

    MakeFolders(CurrentFolder() + "media");
    Touch("media\\ml_media.txt");
    ASSERT_TRUE(FindMediaFile("ml_media.txt", out));
    EXPECT_STREQ(out, ".\\media\\ml_media.txt");
}

namespace {

// A program path longer than the buffer, cut as GetModuleFileNameA cuts it.
unsigned long OverLongProgramPath(char* buffer, unsigned long size)
{
    const std::string path = "C:\\" + std::string(300, 'p') + "\\demo.exe";
    memcpy(buffer, path.c_str(), size - 1);
    buffer[size - 1] = '\0';
    return size;
}

} // namespace

TEST(MediaLookup, ProgramPathPastTheLimitStillTriesTheCurrentFolderAndItsParents)
{
    char out[kMediaPathSize] = "untouched";
    const std::string bin = testsupport::ProgramFolder();
    Touch("ml_cut_here.txt");
    MakeFolders(CurrentFolder() + "media");
    Touch("media\\ml_cut_media.txt");
    Touch(bin + "ml_cut_inbin.txt");
    g_pMediaProgramPath = OverLongProgramPath;
    const bool here = FindMediaFile("ml_cut_here.txt", out);
    const std::string hereOut = out;
    const bool media = FindMediaFile("ml_cut_media.txt", out);
    const std::string mediaOut = out;
    strcpy(out, "untouched");
    // Beside the program: that candidate needs the program's path, which is not known.
    const bool inBin = FindMediaFile("ml_cut_inbin.txt", out);
    g_pMediaProgramPath = [](char* buffer, unsigned long size) -> unsigned long {
        return GetModuleFileNameA(nullptr, buffer, size);
    };
    DeleteFileA((bin + "ml_cut_inbin.txt").c_str());
    EXPECT_TRUE(here);
    EXPECT_EQ(hereOut, ".\\ml_cut_here.txt");
    EXPECT_TRUE(media);
    EXPECT_EQ(mediaOut, ".\\media\\ml_cut_media.txt");
    EXPECT_FALSE(inBin);
    EXPECT_STREQ(out, "untouched");
}
