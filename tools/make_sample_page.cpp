#include "tools/sample_page.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// make-sample-page [ROWS]: writes a hot-search summary page with ROWS rows (51 by default) to standard output.
int main(int argc, char** argv)
{
    int rows = 51;
    if (argc > 2) {
        std::fprintf(stderr, "usage: make-sample-page [ROWS] > page.html\n");
        return 2;
    }
    if (argc == 2) {
        char* end = nullptr;
        const long value = std::strtol(argv[1], &end, 10);
        if (end == argv[1] || *end != '\0' || value < 0 || value > 100000) {
            std::fprintf(stderr, "make-sample-page: ROWS must be a number from 0 to 100000\n");
            return 2;
        }
        rows = static_cast<int>(value);
    }
    const std::string page = qm::makeSummaryPage(qm::defaultSampleRows(rows));
    if (std::fwrite(page.data(), 1, page.size(), stdout) != page.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "make-sample-page: write failed\n");
        return 2;
    }
    return 0;
}
