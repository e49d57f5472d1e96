// access-write: writes an Access file from a text description, the program's sample database,
// or big generated tables for benchmarks.

#include "BigDatabase.h"
#include "Description.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

using namespace tabulant::accesswriter;

namespace {

const char* const kUsage =
    "usage: access-write DESCRIPTION OUT          write the file a description gives ('-' = "
    "stdin)\n"
    "       access-write --sample OUT              write the program's sample database\n"
    "       access-write --big OUT --rows N [--tables T] [--format jet4|ace2010|...]\n"
    "                                              tables \"Big 1\"..\"Big T\" of N rows each\n"
    "       access-write --attachments OUT --files N --size BYTES\n"
    "                                              table \"Files\": N rows, a file of BYTES "
    "each\n";

bool number(const char* s, std::uint64_t& out) {
    const char* end = s + std::strlen(s);
    auto [p, ec] = std::from_chars(s, end, out);
    return ec == std::errc() && p == end && p != s;
}

int describe(const std::string& description, const std::string& out) {
    if (description == "-") {
        writeDescribed(std::cin, out);
        return 0;
    }
    std::ifstream in(description);
    if (!in) {
        std::cerr << "access-write: cannot read " << description << "\n";
        return 1;
    }
    writeDescribed(in, out);
    return 0;
}

int big(int argc, char** argv) {
    std::uint64_t rows = 0;
    std::uint64_t tables = 1;
    Format format = Format::Jet4;
    bool haveRows = false;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc) {
            std::cerr << kUsage;
            return 2;
        }
        const char* v = argv[++i];
        if (a == "--rows" && number(v, rows)) {
            haveRows = true;
        } else if (a == "--tables" && number(v, tables) && tables >= 1 && tables <= 1000) {
        } else if (a == "--format" && std::strcmp(v, "jet4") == 0) {
            format = Format::Jet4;
        } else if (a == "--format" && std::strncmp(v, "ace20", 5) == 0) {
            const std::string year = v + 3;
            format = year == "2007"   ? Format::Ace2007
                     : year == "2010" ? Format::Ace2010
                     : year == "2013" ? Format::Ace2013
                     : year == "2016" ? Format::Ace2016
                                      : Format::Ace2019;
        } else {
            std::cerr << "access-write: bad option " << a << " " << v << "\n" << kUsage;
            return 2;
        }
    }
    if (!haveRows) {
        std::cerr << kUsage;
        return 2;
    }
    writeBigDatabase(argv[2], rows, static_cast<int>(tables), format);
    return 0;
}

int attachments(int argc, char** argv) {
    std::uint64_t files = 0;
    std::uint64_t size = 0;
    if (argc != 7 || std::strcmp(argv[3], "--files") != 0 || !number(argv[4], files) ||
        std::strcmp(argv[5], "--size") != 0 || !number(argv[6], size) || files > 0x7FFFFFFF) {
        std::cerr << kUsage;
        return 2;
    }
    writeAttachmentDatabase(argv[2], files, size);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 3 && std::strcmp(argv[1], "--big") == 0) return big(argc, argv);
        if (argc >= 3 && std::strcmp(argv[1], "--attachments") == 0) return attachments(argc, argv);
        if (argc == 3 && std::strcmp(argv[1], "--sample") == 0)
            return describe(TABULANT_SAMPLE_DESCRIPTION, argv[2]);
        if (argc == 3 && (argv[1][0] != '-' || std::strcmp(argv[1], "-") == 0))
            return describe(argv[1], argv[2]);
        std::cerr << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "access-write: " << e.what() << "\n";
        // A file cut short by the error would still open as a database: leave none behind.
        // Every form names its output second.
        std::error_code ignored;
        std::filesystem::remove(argv[2], ignored);
        return 1;
    }
}
