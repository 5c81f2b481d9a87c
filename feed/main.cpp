// pecun-feed [-o LIST] [--names FILE] [--nbp-a FILE --nbp-b FILE] [XML]
//
// Reads the euro reference rates document XML (standard input when absent or "-") and writes
// the update list to standard output, or to LIST by way of a temporary file in LIST's folder
// renamed over it, so that a reader sees the old list or the new one and never a part. With
// the NBP's answers for table A over a range of days and for the latest table B, the list is
// the merge the converter makes of the three (RatesMerge.h); each must then give rates.
// Exit status: 0 when the list was written, 1 on any fault (nothing written, an existing LIST
// untouched), 2 on a usage error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Names.h"
#include "RatesMerge.h"
#include "toolkit/expat/ExpatXml.h"

namespace {

constexpr const char* kDefaultNames = "/usr/share/iso-codes/json/iso_4217.json";
constexpr const char* kUsage =
    "usage: pecun-feed [-o LIST] [--names FILE] [--nbp-a FILE --nbp-b FILE] [XML]\n";

struct Options {
    std::string xml = "-";
    std::string list;  // empty: standard output
    std::string names = kDefaultNames;
    std::string nbpA;  // empty: no NBP tables
    std::string nbpB;
};

struct Text {
    bool ok = false;
    std::string text;  // the contents, or the error
};

void Report(const std::string& message) {
    std::fprintf(stderr, "pecun-feed: %s\n", message.c_str());
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::optional<Options> ParseArguments(int argc, char** argv) {
    Options options;
    bool haveXml = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "-o" || arg == "--names") && i + 1 < argc) {
            (arg == "-o" ? options.list : options.names) = argv[++i];
        } else if ((arg == "--nbp-a" || arg == "--nbp-b") && i + 1 < argc && argv[i + 1][0]) {
            (arg == "--nbp-a" ? options.nbpA : options.nbpB) = argv[++i];
        } else if (arg != "-" && arg.starts_with("-")) {
            return std::nullopt;
        } else if (!haveXml) {
            options.xml = arg;
            haveXml = true;
        } else {
            return std::nullopt;
        }
    }
    if (options.list == "-") options.list.clear();
    if (options.nbpA.empty() != options.nbpB.empty()) return std::nullopt;
    return options;
}

Text ReadStream(std::FILE* in, const std::string& name) {
    Text result;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) result.text.append(buffer, n);
    if (std::ferror(in)) return {false, SystemError(name)};
    result.ok = true;
    return result;
}

Text ReadFile(const std::string& path) {
    if (path == "-") return ReadStream(stdin, "standard input");
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return {false, SystemError(path)};
    Text result = ReadStream(in, path);
    std::fclose(in);
    return result;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The mode the new list takes: the old list's, or what a newly created file would get.
mode_t ListMode(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes `text` to a new file beside `path` and renames it over `path`. Empty on success.
std::string ReplaceFile(const std::string& path, std::string_view text) {
    const std::filesystem::path target(path);
    if (!target.has_filename()) return path + ": not a file name";
    std::string name = ".";
    name.append(target.filename().string()).append(".XXXXXX");
    std::string temp = (target.parent_path() / name).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return SystemError("cannot create a temporary file beside " + path);
    std::string error;
    if (::fchmod(fd, ListMode(path)) != 0 || !WriteAll(fd, text)) error = SystemError(temp);
    if (::close(fd) != 0 && error.empty()) error = SystemError(temp);
    if (error.empty() && std::rename(temp.c_str(), path.c_str()) != 0) {
        error = SystemError("cannot rename " + temp + " to " + path);
    }
    if (!error.empty()) ::unlink(temp.c_str());
    return error;
}

std::string WriteStandardOutput(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return SystemError("standard output");
    return {};
}

struct Made {
    std::string list;
    std::string error;  // "FILE: what is wrong"; empty when the list was made
};

Made EcbList(const std::string& xml, const std::string& source, const feed::CurrencyNames& names) {
    tk::ExpatXmlReader reader;
    const feed::FeedResult result = feed::MakeUpdateList(xml, reader, names);
    if (!result.ok) return {{}, source + ": " + result.error};
    return {result.list, {}};
}

Made MergedList(const Options& options, const std::string& xml, const std::string& source,
                const feed::CurrencyNames& names) {
    const Text tableA = ReadFile(options.nbpA);
    if (!tableA.ok) return {{}, tableA.text};
    const Text tableB = ReadFile(options.nbpB);
    if (!tableB.ok) return {{}, tableB.text};
    tk::ExpatXmlReader reader;
    const feed::MergedList merged =
        feed::MergeDocuments({xml, tableA.text, tableB.text}, reader, names);
    // Every input given must give rates: a list server keeps its last full list rather than
    // serve a part.
    if (!merged.ecbError.empty()) return {{}, source + ": " + merged.ecbError};
    if (!merged.tableAError.empty()) return {{}, options.nbpA + ": " + merged.tableAError};
    if (!merged.tableBError.empty()) return {{}, options.nbpB + ": " + merged.tableBError};
    if (!merged.ok) return {{}, merged.error};
    return {merged.list, {}};
}

int Run(const Options& options) {
    const Text namesText = ReadFile(options.names);
    if (!namesText.ok) return Report(namesText.text), 1;
    const feed::NamesResult names = feed::LoadCurrencyNames(namesText.text);
    if (!names.ok) return Report(options.names + ": " + names.error), 1;

    const Text xml = ReadFile(options.xml);
    if (!xml.ok) return Report(xml.text), 1;
    const std::string source = options.xml == "-" ? "standard input" : options.xml;
    const Made made = options.nbpA.empty() ? EcbList(xml.text, source, names.names)
                                           : MergedList(options, xml.text, source, names.names);
    if (!made.error.empty()) return Report(made.error), 1;

    const std::string error = options.list.empty() ? WriteStandardOutput(made.list)
                                                   : ReplaceFile(options.list, made.list);
    if (!error.empty()) return Report(error), 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return Run(*options);
}
