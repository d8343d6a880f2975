// Arbitrary bytes as a parameter log CSV: no crash, every row has a value for every column, the
// times never go back, and the problems listed stay within their limit.
#include "ui/editors/plottable.h"
#include "ui/parameterlogreader.h"

#include <QByteArray>

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PlotTable table;
    ParameterLogReader reader;
    const bool ok = reader.read(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)), &table);
    if (!ok && table.rowCount() != 0)
        std::abort();
    if (reader.problems().size() > ParameterLogReader::MaxReportedProblems)
        std::abort();
    for (size_t row = 0; row < table.rowCount(); ++row) {
        if (!std::isfinite(table.time(row)) || (row > 0 && table.time(row) < table.time(row - 1)))
            std::abort();
        for (int c = 0; c < table.columnCount(); ++c) {
            const double v = table.value(c, row);
            if (std::isinf(v))
                std::abort();
        }
    }
    return 0;
}
