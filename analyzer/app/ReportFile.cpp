#include "ReportFile.h"

#include "AtomicFile.h"

namespace kivra {

ReportFileResult WriteReportFile(std::string_view text, const std::vector<std::filesystem::path>& folders) {
    ReportFileResult result;
    std::string tried;
    for (const auto& folder : folders) {
        const auto file = folder / kReportFileName;
        std::string why;
        if (WriteFileAtomically(RewriteTarget(file), text, NewFileMode(), &why)) {
            result.written = file;
            return result;
        }
        tried += "\r\n" + file.string() + (why.empty() ? std::string() : " (" + why + ")");
    }
    result.message = "The report could not be written to any of these files:" + tried;
    return result;
}

}  // namespace kivra
