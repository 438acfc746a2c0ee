// The local file operations on real trees: what is on disk afterwards (bytes,
// links, modes, leftovers), the questions asked and the refusals shown.
#include "LocalFileOp.h"

#include "GuiTestSupport.h"
#include "ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using guitest::ReadFile;
using guitest::WriteFile;

namespace {

// Everything at `path` in one comparable text: file bytes, link texts and
// folder entries (hidden part files included); "-" when nothing is there.
std::string Describe(const fs::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "-";
    if (S_ISLNK(st.st_mode))
        return "L(" + fs::read_symlink(path).string() + ")";
    if (S_ISREG(st.st_mode))
        return "F(" + ReadFile(path) + ")";
    if (!S_ISDIR(st.st_mode))
        return "P";
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(path))
        entries[entry.path().filename().string()] = Describe(entry.path());
    std::string text = "D{";
    for (const auto& [name, what] : entries)
        text += name + ":" + what + ";";
    return text + "}";
}

std::string Pattern(size_t size)
{
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + i / 4096) % 251);
    return data;
}

// Resets the process-wide progress callback even when a test stops early.
struct ProgressScope {
    explicit ProgressScope(CLocalFileOp::Progress progress) { CLocalFileOp::SetProgress(std::move(progress)); }
    ~ProgressScope() { CLocalFileOp::SetProgress({}); }
};

// Permissions and modification time, to compare a copy with its source.
std::string ModeAndTime(const fs::path& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return std::to_string(st.st_mode & 07777) + "@" + std::to_string(st.st_mtim.tv_sec);
}

}  // namespace

TEST(LocalFileOpCopy, TreeArrivesByteExactWithLinksKeptAndFifoSkipped)
{
    const fs::path root = guitest::NewScratchFolder("localop-tree");
    const fs::path tree = root / "src" / "tree";
    const std::string big = Pattern(3 * 1024 * 1024 + 17);  // crosses buffer boundaries
    WriteFile(tree / "big.bin", big);
    WriteFile(tree / "sub" / "deeper" / "c.txt", "c");
    WriteFile(tree / "sub" / "empty.txt", "");
    fs::create_directories(tree / "sub" / "empty");
    fs::create_directory_symlink("..", tree / "sub" / "up");  // followed, it would never end
    fs::create_symlink("/nonexistent/dangling", tree / "dangling");
    ASSERT_EQ(::mkfifo((tree / "sub" / "pipe").c_str(), 0600), 0);
    const fs::path c = tree / "sub" / "deeper" / "c.txt";
    const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::chmod(c.c_str(), 0751) + ::utimensat(AT_FDCWD, c.c_str(), past, 0), 0);
    ASSERT_EQ(::chmod(c.parent_path().c_str(), 0555), 0);  // read-only: the copy must still fill it
    fs::create_directories(root / "dst");

    guitest::TraceCapture capture;
    std::vector<std::pair<long long, long long>> calls;
    ProgressScope scope([&calls](long long done, long long total) {
        calls.emplace_back(done, total);
        return true;
    });
    const LocalOpResult result = CLocalFileOp::Copy({tree.string() + "/"}, (root / "dst").string(), {});

    EXPECT_TRUE(result.ok && !result.aborted);
    std::string expected = Describe(tree);
    expected.erase(expected.find("pipe:P;"), 7);
    const fs::path copy = root / "dst" / "tree";
    EXPECT_EQ(Describe(copy), expected);
    EXPECT_TRUE(capture.Has("Skipped " + (tree / "sub" / "pipe").string() + ": not a regular file, folder or link"));
    EXPECT_EQ(ModeAndTime(copy / "sub" / "deeper" / "c.txt"), ModeAndTime(c));
    EXPECT_EQ(ModeAndTime(copy / "sub" / "deeper"), ModeAndTime(c.parent_path()));
    // Every MiB and every file's end, against one total.
    const long long total = static_cast<long long>(big.size()) + 1;
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(calls.back(), std::make_pair(total, total));
    for (const auto& call : calls)
        EXPECT_EQ(call.second, total);

    ::chmod(c.parent_path().c_str(), 0755);
    ::chmod((copy / "sub" / "deeper").c_str(), 0755);
}

TEST(LocalFileOpCopy, CollisionsFollowTheOptions)
{
    struct Case {
        const char* label;
        bool unique, prompt;
        std::vector<bool> answers;
        bool sourceFolder, targetFolder;
        bool ok;
        std::string atName, atCopyOf;  // afterwards, at "a.txt" and at "Copy Of a.txt"
        size_t questions;
    };
    const std::string oldFile = "F(old)", newFile = "F(new)";
    const std::string oldFolder = "D{in:F(old);keep:F(k);}", newFolder = "D{add:F(a);in:F(new);}";
    const Case cases[] = {
        {"unique", true, false, {}, false, false, true, oldFile, newFile, 0},
        {"unique before prompt", true, true, {}, false, false, true, oldFile, newFile, 0},
        {"prompt yes", false, true, {true}, false, false, true, newFile, "-", 1},
        {"prompt no", false, true, {false}, false, false, true, oldFile, "-", 1},
        {"both off", false, false, {}, false, false, true, newFile, "-", 0},
        {"merge, inner yes", false, true, {true, true}, true, true, true, "D{add:F(a);in:F(new);keep:F(k);}", "-", 2},
        {"merge, inner no", false, true, {true, false}, true, true, true, "D{add:F(a);in:F(old);keep:F(k);}", "-", 2},
        {"merge without questions", false, false, {}, true, true, true, "D{add:F(a);in:F(new);keep:F(k);}", "-", 0},
        {"folder onto file", false, true, {}, true, false, false, oldFile, "-", 0},
        {"file onto folder", false, false, {}, false, true, false, oldFolder, "-", 0},
        {"file onto folder, unique", true, false, {}, false, true, true, oldFolder, newFile, 0},
        {"folder onto file, unique", true, true, {}, true, false, true, oldFile, newFolder, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const fs::path root = guitest::NewScratchFolder("localop-collide");
        const fs::path source = root / "src" / "a.txt", target = root / "dst" / "a.txt";
        WriteFile(c.sourceFolder ? source / "in" : source, "new");
        if (c.sourceFolder)
            WriteFile(source / "add", "a");
        WriteFile(c.targetFolder ? target / "in" : target, "old");
        if (c.targetFolder)
            WriteFile(target / "keep", "k");
        const std::string sourceBefore = Describe(source);
        CScriptedPrompt prompt;
        for (const bool answer : c.answers)
            prompt.QueueYesNo(answer);
        guitest::TraceCapture capture;

        const LocalOpResult result =
            CLocalFileOp::Copy({source.string()}, (root / "dst").string(), {.unique = c.unique, .prompt = c.prompt});

        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(Describe(target), c.atName);
        EXPECT_EQ(Describe(root / "dst" / "Copy Of a.txt"), c.atCopyOf);
        EXPECT_EQ(Describe(source), sourceBefore);
        ASSERT_EQ(prompt.Requests().size(), c.questions);
        if (c.questions > 0) {
            EXPECT_EQ(prompt.Requests()[0].text.toStdString(), target.string() + " exist. Do you want to replace?");
            EXPECT_EQ(prompt.Requests()[0].title.toStdString(), "Replace?");
        }
        EXPECT_EQ(capture.Has(": a file and a folder cannot replace each other"), !c.ok);
    }
}

TEST(LocalFileOpCopy, SourceItselfIsNeverWrittenOver)
{
    const fs::path root = guitest::NewScratchFolder("localop-self");
    const fs::path file = root / "a.txt";
    WriteFile(file, "data");
    WriteFile(root / "d" / "x", "x");
    fs::create_directories(root / "other");
    fs::create_hard_link(file, root / "other" / "a.txt");
    CScriptedPrompt prompt;

    // Pasted into their own folder, with every option off: unique names.
    EXPECT_TRUE(CLocalFileOp::Copy({file.string()}, root.string(), {}).ok);
    EXPECT_TRUE(CLocalFileOp::Copy({file.string()}, root.string(), {}).ok);
    EXPECT_TRUE(CLocalFileOp::Copy({(root / "d").string()}, root.string(), {}).ok);
    // A hard link is the same object too, and no question is asked about it.
    EXPECT_TRUE(CLocalFileOp::Copy({file.string()}, (root / "other").string(), {.prompt = true}).ok);
    EXPECT_TRUE(prompt.Requests().empty());
    EXPECT_EQ(Describe(root), "D{Copy Of a.txt:F(data);Copy Of a.txt (1):F(data);Copy Of d:D{x:F(x);};a.txt:F(data);"
                              "d:D{x:F(x);};other:D{Copy Of a.txt:F(data);a.txt:F(data);};}");

    const std::string before = Describe(root);
    for (const fs::path& target : {file, root / "other" / "a.txt", root / "d"}) {
        SCOPED_TRACE(target.string());
        EXPECT_FALSE(CLocalFileOp::CopyFile(file.string(), target.string()));
    }
    EXPECT_EQ(Describe(root), before);
}

TEST(LocalFileOpCopy, FolderIntoItselfIsRefusedButNotIntoAPrefixSibling)
{
    struct Case {
        bool move;
        const char* source;
        const char* into;
        const char* text;  // %1 is the target path
        const char* title;
    };
    const char* copyInto = "Cannot Copy %1: The destination folder is a subfolder of the source folder";
    const char* moveInto = "Cannot Move %1: The destination folder is a subfolder of the source folder";
    const char* moveSame = "Cannot Move %1: The destination folder is the same as the source folder";
    const Case cases[] = {
        {false, "dir", "dir/sub", copyInto, "Error Coping File"},
        {false, "dir", "dir", copyInto, "Error Coping File"},
        {false, "dir", "link/sub", copyInto, "Error Coping File"},  // the same folder through a link
        {true, "dir", "dir/sub", moveInto, "Error Moving File"},
        {true, "dir", ".", moveSame, "Error Moving File"},
        {true, "file.txt", "link/..", moveSame, "Error Moving File"},
    };
    const fs::path root = guitest::NewScratchFolder("localop-refuse");
    WriteFile(root / "dir" / "sub" / "inner.txt", "i");
    WriteFile(root / "file.txt", "f");
    fs::create_directories(root / "dir-2");
    fs::create_directory_symlink("dir", root / "link");
    const std::string before = Describe(root);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " into " + c.into);
        CScriptedPrompt prompt;
        const std::string into = (root / c.into).string();
        const std::vector<std::string> sources = {(root / c.source).string()};
        const LocalOpResult result =
            c.move ? CLocalFileOp::Move(sources, into, {}) : CLocalFileOp::Copy(sources, into, {});
        EXPECT_FALSE(result.ok);
        ASSERT_EQ(prompt.Requests().size(), 1u);
        EXPECT_EQ(prompt.Requests()[0].kind, PromptKind::Stop);
        EXPECT_EQ(prompt.Requests()[0].text.toStdString(),
                  QString::fromUtf8(c.text).arg(QString::fromStdString(into + "/" + c.source)).toStdString());
        EXPECT_EQ(prompt.Requests()[0].title.toStdString(), c.title);
        EXPECT_EQ(Describe(root), before);
    }

    CScriptedPrompt prompt;
    EXPECT_TRUE(CLocalFileOp::Copy({(root / "dir").string()}, (root / "dir-2").string(), {}).ok);
    EXPECT_TRUE(prompt.Requests().empty());
    EXPECT_EQ(Describe(root / "dir-2"), "D{dir:D{sub:D{inner.txt:F(i);};};}");
}

TEST(LocalFileOpMove, RenamesWhereItCanAndMergesByCopyThenDelete)
{
    const fs::path root = guitest::NewScratchFolder("localop-move");
    WriteFile(root / "src" / "file.txt", "f");
    WriteFile(root / "src" / "dir" / "in", "new");
    WriteFile(root / "src" / "dir" / "sub" / "add", "a");
    WriteFile(root / "dst" / "dir" / "in", "old");
    WriteFile(root / "dst" / "dir" / "keep", "k");
    struct stat before {};
    ASSERT_EQ(::stat((root / "src" / "file.txt").c_str(), &before), 0);
    const fs::path cwd = fs::current_path();
    fs::current_path(root / "src" / "dir" / "sub");

    const LocalOpResult result = CLocalFileOp::Move(
        {(root / "src" / "file.txt").string(), (root / "src" / "dir").string()}, (root / "dst").string(), {});
    const fs::path after = fs::current_path();
    fs::current_path(cwd);

    EXPECT_TRUE(result.ok);
    EXPECT_EQ(Describe(root / "src"), "D{}");
    EXPECT_EQ(Describe(root / "dst"), "D{dir:D{in:F(new);keep:F(k);sub:D{add:F(a);};};file.txt:F(f);}");
    struct stat moved {};
    ASSERT_EQ(::stat((root / "dst" / "file.txt").c_str(), &moved), 0);
    EXPECT_EQ(moved.st_ino, before.st_ino);
    EXPECT_EQ(after, fs::canonical(root / "src"));  // left the folder before it went

    // A folder with anything left behind stays, whole.
    WriteFile(root / "src" / "dir" / "in", "newer");
    WriteFile(root / "src" / "dir" / "more", "m");
    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);   // merge into dst/dir
    prompt.QueueYesNo(false);  // but keep dst/dir/in
    guitest::TraceCapture capture;
    EXPECT_FALSE(CLocalFileOp::Move({(root / "src" / "dir").string()}, (root / "dst").string(), {.prompt = true}).ok);
    EXPECT_EQ(Describe(root / "src"), "D{dir:D{in:F(newer);more:F(m);};}");
    EXPECT_EQ(Describe(root / "dst" / "dir"), "D{in:F(new);keep:F(k);more:F(m);sub:D{add:F(a);};}");
    EXPECT_TRUE(capture.Has("Kept " + (root / "src" / "dir").string()));
}

TEST(LocalFileOp, CancelMidFileLeavesNoPartFileAndKeepsTargetsAndSources)
{
    const fs::path root = guitest::NewScratchFolder("localop-cancel");
    const std::string big = Pattern(8 * 1024 * 1024);
    WriteFile(root / "src" / "big.bin", big);
    WriteFile(root / "src" / "dir" / "big.bin", big);
    WriteFile(root / "dst" / "big.bin", "old target");
    fs::create_directories(root / "dst" / "dir");
    ProgressScope scope([](long long done, long long) { return done < 3 * 1024 * 1024; });

    const LocalOpResult copy = CLocalFileOp::Copy({(root / "src" / "big.bin").string()}, (root / "dst").string(), {});
    EXPECT_TRUE(copy.aborted && !copy.ok);
    // A merge takes the copy-then-delete way, as a move to another file system does.
    const LocalOpResult move = CLocalFileOp::Move({(root / "src" / "dir").string()}, (root / "dst").string(), {});
    EXPECT_TRUE(move.aborted && !move.ok);

    EXPECT_EQ(Describe(root / "dst"), "D{big.bin:F(old target);dir:D{};}");
    EXPECT_EQ(ReadFile(root / "src" / "big.bin"), big);
    EXPECT_EQ(ReadFile(root / "src" / "dir" / "big.bin"), big);
}

TEST(LocalFileOpDelete, AsksOnceThenDeletesWithoutFollowingLinks)
{
    struct Case {
        std::vector<std::string> names;
        bool allowUndo;
        const char* text;
        const char* title;
    };
    const Case cases[] = {
        // "@" stands for the folder the test works in.
        {{"t.txt"}, true, "Are you sure you want to move \"@t.txt\" to the Trash?", "Confirm File Delete"},
        {{"victim"}, false, "Are you sure you want to permanently delete \"@victim\"?", "Confirm Folder Delete"},
        {{"t.txt", "victim"}, true, "Are you sure you want to move these 2 items to the Trash?",
         "Confirm Multiple File Delete"},
        {{"t.txt", "victim"}, false, "Are you sure you want to permanently delete these 2 items?",
         "Confirm Multiple File Delete"},
    };
    const fs::path root = guitest::NewScratchFolder("localop-delete");
    WriteFile(root / "outside" / "keep.txt", "keep");
    WriteFile(root / "victim" / "sub" / "b", "b");
    fs::create_directory_symlink(root / "outside", root / "victim" / "sub" / "to-outside");
    fs::create_symlink(root / "outside" / "keep.txt", root / "victim" / "to-file");
    WriteFile(root / "t.txt", "trash me");
    const std::string before = Describe(root);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CScriptedPrompt prompt;  // answers No: nothing goes
        std::vector<std::string> paths;
        for (const std::string& name : c.names)
            paths.push_back((root / name).string());
        EXPECT_FALSE(CLocalFileOp::Delete(paths, {.allowUndo = c.allowUndo}).ok);
        ASSERT_EQ(prompt.Requests().size(), 1u);
        std::string text = c.text;
        if (const size_t at = text.find('@'); at != std::string::npos)
            text.replace(at, 1, root.string() + "/");
        EXPECT_EQ(prompt.Requests()[0].text.toStdString(), text);
        EXPECT_EQ(prompt.Requests()[0].title.toStdString(), c.title);
        EXPECT_EQ(Describe(root), before);
    }

    CScriptedPrompt prompt;
    prompt.QueueYesNo(true);
    EXPECT_TRUE(CLocalFileOp::Delete({(root / "victim").string()}, {.allowUndo = false}).ok);
    EXPECT_TRUE(CLocalFileOp::Delete({(root / "t.txt").string()}, {.confirm = false}).ok);
    EXPECT_EQ(Describe(root), "D{outside:D{keep.txt:F(keep);};}");
    EXPECT_EQ(ReadFile(guitest::DataHome() / "Trash" / "files" / "t.txt"), "trash me");

    guitest::TraceCapture capture;
    EXPECT_FALSE(CLocalFileOp::Delete({(root / "missing").string()}, {.allowUndo = false, .confirm = false}).ok);
    EXPECT_TRUE(capture.Has("Cannot delete " + (root / "missing").string() + ": No such file or directory"));
}
