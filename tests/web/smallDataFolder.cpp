// Writes the small data set of the production's tests into a folder, for
// the page's tests to pack as a page's data:
//   kelvandrix-small-data FOLDER SECONDS   (SECONDS of music)
#include "optionValues.h"
#include "smallDataSet.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    const auto seconds = argc == 3 ? parseNumber(argv[2]) : std::nullopt;
    if (!seconds || *seconds <= 0.0) {
        std::fprintf(stderr, "usage: kelvandrix-small-data FOLDER SECONDS (a positive length of music)\n");
        return 2;
    }
    const testing_support::TempDir made;
    testing_support::makeSmallDataSet(made, *seconds);
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    std::filesystem::copy(made.path(), argv[1], std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        std::fprintf(stderr, "kelvandrix-small-data: cannot write \"%s\": %s\n", argv[1], error.message().c_str());
        return 1;
    }
    return 0;
}
