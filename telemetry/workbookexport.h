// What the graph window holds, as a spreadsheet workbook (.xlsx) for people:
// the recording is CSV for programs (the point as decimal separator, time as
// text), which a spreadsheet on a Turkish desktop misreads. In the workbook
// numbers are numbers and the clock time is a date-time cell.
//
//   "Veriler"  one row per frame: the clock time (a date-time cell with
//              milliseconds), the seconds since the start, then every value
//              of the frame as a number, in the recording's decimals (so the
//              workbook and the CSV of the same frames agree); an empty cell
//              where there is no reading. Header row in Turkish with units,
//              frozen, with a filter.
//   "Olaylar"  the commands sent (code, value, what they set) and the link's
//              events (device lost or back, port closed or opened), in time
//              order, named as the graph's markers name them.
//
// Written with libxlsxwriter into a temporary folder, then put in place
// whole (QSaveFile): a failed export leaves a file already there untouched.
#pragma once

#include "telemetry/graphsamples.h"

#include <QDateTime>
#include <QString>

namespace workbook {

// The Excel serial number of a clock time: days since 1899-12-30, the time of
// day as the fraction. The time is taken as the clock showed it (its own
// offset from UTC); a spreadsheet has no time zones.
double excelSerial(const QDateTime &time);

// Writes the samples (their clock time is start plus elapsedMs) to path,
// creating or replacing it. False, and why in Turkish, when there is no
// sample or the file cannot be written; path is not touched then.
bool write(const QString &path, const GraphSamples &samples, const QDateTime &start, QString *why);

} // namespace workbook
