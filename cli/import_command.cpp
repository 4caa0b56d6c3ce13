#include "cli/cli_args.h"
#include "cli/commands.h"
#include "cli/file_faults.h"
#include "data/price_import.h"

#include <cstdio>
#include <filesystem>
#include <map>

namespace varkel::cli {

namespace {

const char* const importUsage =
    "usage: varkel-cli import --from FILE --to PATH [--format auto|broker|ohlc]\n"
    "\n"
    "Converts a price history exported elsewhere into this program's price file PATH:\n"
    "  broker  a trading platform's export: YYYY.MM.DD,HH:MM,open,high,low,close,volume\n"
    "          (the time and the volume may be missing)\n"
    "  ohlc    a CSV whose first line names the columns Date, Open, High, Low and Close\n"
    "          (any order, any case, more columns ignored); dates YYYY-MM-DD, YYYY/MM/DD\n"
    "          or YYYYMMDD; comma or semicolon separated; fields may be quoted (\"1,250\");\n"
    "          a line with more or fewer fields than the header is skipped\n"
    "  auto    (the default) tells the two apart from the first line and says which\n"
    "Bars are sorted by date, repeated dates dropped (the first is kept), prices\n"
    "rounded to hundredths; a bar whose high lies below its open or close (or low\n"
    "above them) is skipped. PATH is replaced whole or, on failure, left as it was.\n";

const std::map<std::string, ImportFormat> formats = {
    {"auto", ImportFormat::Auto}, {"broker", ImportFormat::Broker}, {"ohlc", ImportFormat::Ohlc}};

bool samePath(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

// The count, and the first few lines named: a file of junk must not print a
// line of its own for each of its millions of rows.
void printSkipped(const PriceConversion& conversion) {
    if (conversion.skippedCount == 0) return;
    std::printf("Skipped %d line%s%s:\n", conversion.skippedCount, conversion.skippedCount == 1 ? "" : "s",
                conversion.firstSkipped.size() < static_cast<std::size_t>(conversion.skippedCount) ? ", the first" : "");
    for (const SkippedLine& line : conversion.firstSkipped)
        std::printf("  line %d: %.*s\n", line.lineNumber, static_cast<int>(skipReasonText(line.reason).size()),
                    skipReasonText(line.reason).data());
}

}  // namespace

int runImportCommand(int argc, char** argv) {
    CliArgs args({"from", "to", "format"}, {});
    if (const auto code = args.parseOrExit(argc, argv, importUsage)) return *code;
    const std::string from = args.valueOr("from", "");
    const std::string to = args.valueOr("to", "");
    const auto format = formats.find(args.valueOr("format", "auto"));
    if (from.empty() || to.empty() || format == formats.end()) {
        std::fputs(from.empty() || to.empty() ? "import needs --from and --to\n" : "unknown --format\n", stderr);
        std::fputs(importUsage, stderr);
        return exitUsage;
    }
    if (samePath(from, to)) {
        std::fputs("--to names the file being imported; write the price file elsewhere\n", stderr);
        return exitUsage;
    }

    const PriceImport result = importPriceFile(from, to, format->second);
    const PriceConversion& conversion = result.conversion;
    switch (result.status) {
        case ImportStatus::Unreadable:
            if (result.tooLarge)
                std::fprintf(stderr, "%s is larger than %zu MB and is not read\n", from.c_str(),
                             maxImportFileBytes / (1024 * 1024));
            else
                std::fprintf(stderr, "Cannot read %s: %s\n", from.c_str(), unreadableFileReason(from).c_str());
            return exitFailed;
        case ImportStatus::NotConverted:
            if (conversion.outcome == ImportOutcome::UnknownFormat)
                std::fprintf(stderr,
                             "%s: the first line is neither a broker export bar (YYYY.MM.DD,HH:MM,open,...) nor "
                             "a header naming Date, Open, High, Low and Close\n",
                             from.c_str());
            else
                std::fprintf(stderr, "%s: no line gave a bar; %s was not written\n", from.c_str(), to.c_str());
            printSkipped(conversion);
            return exitFailed;
        case ImportStatus::WriteFailed:
        case ImportStatus::Imported:
            break;
    }
    const std::string_view name = importFormatName(conversion.format);
    std::printf("Format: %.*s%s\n", static_cast<int>(name.size()), name.data(),
                format->second == ImportFormat::Auto ? " (detected)" : "");
    printSkipped(conversion);
    if (result.status == ImportStatus::WriteFailed) {
        std::fprintf(stderr, "Cannot write %s: %s; it was left as it was\n", to.c_str(), result.writeError.c_str());
        return exitFailed;
    }
    std::printf("Wrote %d bar%s (%d to %d) to %s\n", conversion.bars, conversion.bars == 1 ? "" : "s",
                conversion.firstDate, conversion.lastDate, to.c_str());
    return exitOk;
}

}  // namespace varkel::cli
