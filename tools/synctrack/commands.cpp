#include "commands.h"

#include "trackText.h"
#include "trackfile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* const kUsage
    = "usage: synctrack build TEXT... --base NAME --out DIR\n"
      "       synctrack dump [--base NAME] FILE.track...\n"
      "       synctrack check FILE.track...\n"
      "build compiles the track texts (format: tools/synctrack/README.md) into one\n"
      "DIR/NAME_TRACK.track per track and removes the NAME_*.track files of tracks the\n"
      "texts no longer have; --base and --out have no default. dump prints\n"
      "track files as text, each track named after its file without \".track\" and,\n"
      "when --base NAME is given, without \"NAME_\" (default: no base). check names\n"
      "every file the player would have to repair.\n"
      "  --help  this text\n"
      "Exit status: 0 done, 1 input refused (build) or repairs found (check), 2 usage\n"
      "mistakes or files that cannot be read or written.\n";

struct Arguments {
    std::vector<std::string> files;
    std::map<std::string, std::string> options;
};

int usageError(std::ostream& err, const std::string& message)
{
    err << "synctrack: " << message << "\n" << kUsage;
    return kStatusFailure;
}

// Options take one value each and may stand anywhere among the files.
bool parseArguments(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                    Arguments& parsed, std::string& error)
{
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            parsed.files.push_back(arg);
            continue;
        }
        bool known = false;
        for (const std::string& option : allowed)
            known = known || option == arg;
        if (!known) {
            error = "unknown option " + arg + " for " + args[0];
            return false;
        }
        if (i + 1 == args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        parsed.options[arg] = args[++i];
    }
    if (parsed.files.empty()) {
        error = args[0] + " needs at least one file";
        return false;
    }
    return true;
}

bool readText(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    // A folder opens and then reads as an empty text.
    std::error_code ignored;
    if (!in || fs::is_directory(path, ignored))
        return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    content = bytes.str();
    return true;
}

struct TrackFile {
    std::vector<sync_key> keys;
    sync_read_report report{};
};

// Reads exactly as the player does; false when the file cannot be opened.
bool readTrackFile(const std::string& path, TrackFile& file)
{
    void* handle = sync_stdio_callbacks.open(path.c_str(), "rb");
    if (!handle)
        return false;
    sync_key* keys = nullptr;
    int32_t keyCount = 0;
    sync_read_keys(&sync_stdio_callbacks, handle, &keys, &keyCount, &file.report);
    sync_stdio_callbacks.close(handle);
    file.keys.assign(keys, keys + keyCount);
    std::free(keys);
    return true;
}

std::string describe(const sync_read_report& report)
{
    char text[1024];
    sync_describe_report(&report, text, sizeof text);
    return text;
}

bool writeTrackFile(const fs::path& path, const std::vector<sync_key>& keys)
{
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file)
        return false;
    const bool written = sync_write_keys(file, keys.data(), static_cast<int32_t>(keys.size()));
    return std::fclose(file) == 0 && written;
}

struct Output {
    fs::path path;
    fs::path temporary;
    const TextTrack* track;
};

void removeTemporaries(const std::vector<Output>& outputs)
{
    std::error_code ignored;
    for (const Output& output : outputs)
        fs::remove(output.temporary, ignored);
}

// Every file is written beside its final name first and renamed once all
// are written, so a failed build leaves the previous files as they were.
int writeOutputs(const std::vector<Output>& outputs, std::ostream& err)
{
    for (const Output& output : outputs) {
        if (!writeTrackFile(output.temporary, output.track->keys)) {
            err << "synctrack: cannot write \"" << output.temporary.string() << "\"\n";
            removeTemporaries(outputs);
            return kStatusFailure;
        }
    }
    for (const Output& output : outputs) {
        std::error_code error;
        fs::rename(output.temporary, output.path, error);
        if (error) {
            err << "synctrack: cannot write \"" << output.path.string() << "\": " << error.message() << "\n";
            removeTemporaries(outputs);
            return kStatusFailure;
        }
    }
    return kStatusDone;
}

// The file name without ".track", and without "BASE_" when a base is given.
bool trackNameOf(const std::string& file, const std::string& base, std::string& name)
{
    name = fs::path(file).filename().string();
    const std::string suffix = ".track";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    if (base.empty())
        return true;
    const std::string prefix = base + "_";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    name.erase(0, prefix.size());
    return true;
}

// The player opens every track it knows by name: a file of this base that
// the text no longer defines would go on playing its old keys.
int removeStaleTracks(const fs::path& outDir, const std::string& base, const std::vector<Output>& outputs,
                      std::ostream& err)
{
    std::vector<fs::path> stale;
    std::error_code error;
    for (fs::directory_iterator entry(outDir, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::string track;
        const bool ofBase = entry->path().extension() == ".track" && trackNameOf(name, base, track);
        bool written = false;
        for (const Output& output : outputs)
            written = written || output.path.filename() == name;
        std::error_code ignored;
        if (ofBase && !written && !entry->is_directory(ignored))
            stale.push_back(outDir / name);
    }
    if (error) {
        err << "synctrack: cannot read the folder \"" << outDir.string() << "\": " << error.message() << "\n";
        return kStatusFailure;
    }
    for (const fs::path& path : stale) {
        const bool removed = fs::remove(path, error);
        if (error) {
            err << "synctrack: cannot remove \"" << path.string() << "\", a track the text no longer has: "
                << error.message() << "\n";
            return kStatusFailure;
        }
        if (removed)
            err << "synctrack: removed \"" << path.string() << "\", a track the text no longer has\n";
    }
    return kStatusDone;
}

int runBuild(const std::vector<std::string>& args, std::ostream& err)
{
    Arguments arguments;
    std::string error;
    if (!parseArguments(args, {"--base", "--out"}, arguments, error))
        return usageError(err, error);
    if (!arguments.options.count("--base") || !arguments.options.count("--out"))
        return usageError(err, "build needs --base NAME and --out DIR");
    const std::string base = arguments.options["--base"];
    const fs::path outDir = arguments.options["--out"];
    if (!TrackText::isValidName(base))
        return usageError(err, "bad base name \"" + base + "\" (letters, digits, '_', '-' and '.')");

    TrackText text;
    std::vector<std::string> errors;
    for (const std::string& file : arguments.files) {
        std::string content;
        if (!readText(file, content)) {
            err << "synctrack: cannot read \"" << file << "\"\n";
            return kStatusFailure;
        }
        text.parse(file, content, errors);
    }

    std::vector<Output> outputs;
    for (const TextTrack& track : text.tracks()) {
        char name[SYNC_FILE_NAME_SIZE];
        if (!sync_track_file_name(name, sizeof name, base.c_str(), track.name.c_str())) {
            errors.push_back(track.origin + ": track \"" + track.name + "\" makes a file name longer than "
                             + std::to_string(SYNC_FILE_NAME_SIZE - 1) + " characters, which the player never opens");
            continue;
        }
        outputs.push_back(Output{outDir / name, outDir / (std::string(name) + ".tmp"), &track});
    }
    if (!errors.empty()) {
        for (const std::string& line : errors)
            err << line << "\n";
        return kStatusFindings;
    }

    std::error_code dirError;
    fs::create_directories(outDir, dirError);
    if (dirError) {
        err << "synctrack: cannot make \"" << outDir.string() << "\": " << dirError.message() << "\n";
        return kStatusFailure;
    }
    const int status = writeOutputs(outputs, err);
    return status == kStatusDone ? removeStaleTracks(outDir, base, outputs, err) : status;
}

int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Arguments arguments;
    std::string error;
    if (!parseArguments(args, {"--base"}, arguments, error))
        return usageError(err, error);
    const std::string base = arguments.options.count("--base") ? arguments.options["--base"] : "";

    int status = kStatusDone;
    std::string text;
    for (const std::string& file : arguments.files) {
        std::string name;
        if (!trackNameOf(file, base, name)) {
            err << "synctrack: \"" << file << "\" is not named " << base << "_TRACK.track\n";
            status = kStatusFailure;
            continue;
        }
        TrackFile track;
        if (!readTrackFile(file, track)) {
            err << "synctrack: cannot open \"" << file << "\"\n";
            status = kStatusFailure;
            continue;
        }
        if (!sync_report_is_clean(&track.report))
            err << "synctrack: \"" << file << "\" " << describe(track.report) << "\n";
        if (!text.empty())
            text += "\n";
        text += TrackText::format(name, track.keys.data(), static_cast<int32_t>(track.keys.size()));
    }
    out << text;
    return status;
}

int runCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Arguments arguments;
    std::string error;
    if (!parseArguments(args, {}, arguments, error))
        return usageError(err, error);

    bool unreadable = false;
    bool found = false;
    for (const std::string& file : arguments.files) {
        TrackFile track;
        if (!readTrackFile(file, track)) {
            err << "synctrack: cannot open \"" << file << "\"\n";
            unreadable = true;
        } else if (!sync_report_is_clean(&track.report)) {
            out << "\"" << file << "\" " << describe(track.report) << "\n";
            found = true;
        }
    }
    return unreadable ? kStatusFailure : found ? kStatusFindings : kStatusDone;
}

int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        return usageError(err, "no command");
    const std::string& command = args[0];
    if (command == "build")
        return runBuild(args, err);
    if (command == "dump")
        return runDump(args, out, err);
    if (command == "check")
        return runCheck(args, out, err);
    if (command == "help" || command == "--help") {
        out << kUsage;
        return kStatusDone;
    }
    return usageError(err, "unknown command \"" + command + "\"");
}

} // namespace

int runSynctrack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const int status = runCommand(args, out, err);
    // Text that never got out (a full disk behind a redirection) is no result.
    if (!out.flush()) {
        err << "synctrack: cannot write to standard output\n";
        return kStatusFailure;
    }
    return status;
}
