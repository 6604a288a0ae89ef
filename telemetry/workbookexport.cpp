#include "workbookexport.h"

#include "core/decode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#if defined(Q_OS_UNIX)
#include <clocale>
#include <locale.h>
#endif

namespace {

QString tr(const char *text) { return QCoreApplication::translate("Workbook", text); }

// The rows of one sheet: Excel's limit less the header row. More go on to a
// sheet of the same name with a number ("Veriler 2").
constexpr lxw_row_t kRowsPerSheet = 1'048'575;
constexpr qint64 kMsPerDay = 86'400'000;

// The value as the recording writes it (fixed, with these decimals) and
// reads back: the workbook and the CSV of the same frames hold one number.
double asRecorded(double value, int decimals)
{
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    double read = value;
    std::from_chars(text, written.ptr, read);
    return read;
}

// libxlsxwriter writes numbers with the C library's printf, which follows
// the process locale (Qt sets it from the desktop): under a Turkish one
// 2.905 would go into the sheet as "2,905". The numbers of this thread are
// written in the C locale while the guard lives.
class CNumbers {
public:
#if defined(Q_OS_UNIX)
    CNumbers() : m_c(newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr)))
    {
        if (m_c)
            m_before = uselocale(m_c);
    }
    ~CNumbers()
    {
        if (m_c) {
            uselocale(m_before);
            freelocale(m_c);
        }
    }

private:
    locale_t m_c = nullptr;
    locale_t m_before = nullptr;
#else
    // On Windows the tool never sets the C library's locale ("C" stays),
    // and the library is built with its own locale-free number writer.
    CNumbers() = default;
#endif
public:
    CNumbers(const CNumbers &) = delete;
    CNumbers &operator=(const CNumbers &) = delete;
};

// The bytes libxlsxwriter's fopen() takes for a path: UTF-8 on Linux; on
// Windows it opens files by their ANSI code page name (MinGW builds of it
// do not use its wide-character open), so only a path that code page can
// spell is given to it.
std::optional<QByteArray> fopenName(const QString &path)
{
#if defined(Q_OS_WIN)
    const QString native = QDir::toNativeSeparators(path);
    const QByteArray bytes = native.toLocal8Bit();
    if (QString::fromLocal8Bit(bytes) != native)
        return std::nullopt;
    return bytes;
#else
    return QFile::encodeName(path);
#endif
}

QString errorText(lxw_error error)
{
    switch (error) {
    case LXW_NO_ERROR:
        return QString();
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return tr("bellek yetmedi");
    case LXW_ERROR_CREATING_XLSX_FILE:
        return tr("çalışma kitabı dosyası oluşturulamadı");
    case LXW_ERROR_CREATING_TMPFILE:
        return tr("geçici dosya oluşturulamadı");
    case LXW_ERROR_READING_TMPFILE:
        return tr("geçici dosya okunamadı");
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return tr("çalışma kitabı diske yazılamadı (disk dolu olabilir)");
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
        return tr("çalışma kitabı sıkıştırılamadı");
    default:
        return tr("çalışma kitabı yazılamadı (libxlsxwriter hata %1)").arg(int(error));
    }
}

// A column of the data sheet: its header, width, number format and the
// value of a sample (no value: an empty cell).
struct Column {
    QString header;
    double width = 10;
    lxw_format *format = nullptr;
    std::function<std::optional<double>(const GraphSample &)> value;
};

struct Sheet {
    lxw_worksheet *sheet = nullptr;
    lxw_row_t row = 0; // the next row to write
};

class Writer {
public:
    Writer(lxw_workbook *book, const QDateTime &start) : m_book(book), m_start(start)
    {
        m_header = workbook_add_format(book);
        format_set_bold(m_header);
        format_set_text_wrap(m_header);
        format_set_align(m_header, LXW_ALIGN_VERTICAL_TOP);
        m_clock = numberFormat("dd.mm.yyyy hh:mm:ss.000");
        m_seconds = numberFormat("0.000");
        m_ms = numberFormat("0.000");
        m_oneDecimal = numberFormat("0.0");
        m_whole = numberFormat("0");
    }

    lxw_error error() const { return m_error; }

    void writeSamples(const GraphSamples &samples)
    {
        const std::vector<Column> columns = dataColumns();
        std::vector<QString> headers;
        std::vector<double> widths;
        for (const Column &c : columns) {
            headers.push_back(c.header);
            widths.push_back(c.width);
        }
        const QString name = tr("Veriler");
        Sheet sheet;
        int sheets = 0;
        for (const GraphSample &sample : samples.all()) {
            if (!sheet.sheet || sheet.row > kRowsPerSheet) {
                finish(sheet, lxw_col_t(columns.size() - 1));
                sheet = newSheet(name, ++sheets, headers, widths);
            }
            const lxw_row_t row = sheet.row++;
            writeTime(sheet.sheet, row, sample.elapsedMs);
            for (size_t c = 0; c < columns.size(); ++c) {
                const Column &column = columns[c];
                if (c == kFuelColumn) {
                    const bool petrol = sample.petrol();
                    check(worksheet_write_string(sheet.sheet, row, lxw_col_t(c),
                                                 petrol ? m_petrol.constData() : m_gas.constData(),
                                                 nullptr));
                    continue;
                }
                if (const auto v = column.value(sample))
                    check(
                        worksheet_write_number(sheet.sheet, row, lxw_col_t(c), *v, column.format));
            }
            if (m_error != LXW_NO_ERROR)
                return;
        }
        finish(sheet, lxw_col_t(columns.size() - 1));
    }

    void writeEvents(const GraphSamples &samples)
    {
        struct Event {
            qint64 elapsedMs;
            QString what;
            std::optional<int> code, value;
            QString text;
        };
        std::vector<Event> events;
        constexpr qint64 kAll[2] = {std::numeric_limits<qint64>::min(),
                                    std::numeric_limits<qint64>::max()};
        for (const GraphCommand &c : samples.commands(kAll[0], kAll[1]))
            events.push_back({c.elapsedMs, tr("Komut"), c.code, c.value, c.text});
        for (const GraphLinkEvent &e : samples.linkEvents(kAll[0], kAll[1]))
            events.push_back({e.elapsedMs, linkEventText(e.event), {}, {}, QString()});
        std::stable_sort(events.begin(), events.end(),
                         [](const Event &a, const Event &b) { return a.elapsedMs < b.elapsedMs; });

        const std::vector<QString> headers = {tr("Saat"), tr("Süre (s)"), tr("Olay"),
                                              tr("Kod"),  tr("Değer"),    tr("Açıklama")};
        const std::vector<double> widths = {23, 11, 18, 7, 7, 28};
        const QString name = tr("Olaylar");
        Sheet sheet = newSheet(name, 1, headers, widths);
        int sheets = 1;
        for (const Event &event : events) {
            if (sheet.row > kRowsPerSheet) {
                finish(sheet, lxw_col_t(headers.size() - 1));
                sheet = newSheet(name, ++sheets, headers, widths);
            }
            const lxw_row_t row = sheet.row++;
            writeTime(sheet.sheet, row, event.elapsedMs);
            check(worksheet_write_string(sheet.sheet, row, 2, event.what.toUtf8().constData(),
                                         nullptr));
            if (event.code)
                check(worksheet_write_number(sheet.sheet, row, 3, *event.code, m_whole));
            if (event.value)
                check(worksheet_write_number(sheet.sheet, row, 4, *event.value, m_whole));
            if (!event.text.isEmpty())
                check(worksheet_write_string(sheet.sheet, row, 5, event.text.toUtf8().constData(),
                                             nullptr));
            if (m_error != LXW_NO_ERROR)
                return;
        }
        finish(sheet, lxw_col_t(headers.size() - 1));
    }

private:
    static constexpr size_t kFuelColumn = 11;

    lxw_format *numberFormat(const char *format)
    {
        lxw_format *f = workbook_add_format(m_book);
        format_set_num_format(f, format);
        return f;
    }

    std::vector<Column> dataColumns() const
    {
        std::vector<Column> columns;
        // Clock time and seconds are written by writeTime(); their columns
        // are here for the header and the width.
        columns.push_back(
            {tr("Saat"), 23, nullptr, [](const GraphSample &) { return std::nullopt; }});
        columns.push_back(
            {tr("Süre (s)"), 11, nullptr, [](const GraphSample &) { return std::nullopt; }});
        const auto time = [](double ms) -> std::optional<double> {
            if (!std::isfinite(ms))
                return std::nullopt;
            return asRecorded(ms, 3);
        };
        for (size_t c = 0; c < 4; ++c)
            columns.push_back({tr("Giriş %1 (ms)").arg(c + 1), 9, m_ms,
                               [c, time](const GraphSample &s) { return time(s.inMs[c]); }});
        for (size_t c = 0; c < 4; ++c)
            columns.push_back({tr("Çıkış %1 (ms)").arg(c + 1), 9, m_ms,
                               [c, time](const GraphSample &s) { return time(s.outMs[c]); }});
        columns.push_back(
            {tr("Devir (rpm)"), 9, m_oneDecimal, [](const GraphSample &s) -> std::optional<double> {
                 if (!s.rpm)
                     return std::nullopt;
                 return asRecorded(*s.rpm, 1);
             }});
        // kFuelColumn: text, written apart.
        columns.push_back(
            {tr("Yakıt"), 8, nullptr, [](const GraphSample &) { return std::nullopt; }});
        columns.push_back({tr("Maske"), 7, m_whole,
                           [](const GraphSample &s) { return std::optional<double>(s.mask); }});
        columns.push_back({tr("Isı (°C)"), 8, m_whole,
                           [](const GraphSample &s) { return std::optional<double>(s.coolantC); }});
        columns.push_back({tr("Geçiş ısısı (°C)"), 10, m_whole, [](const GraphSample &s) {
                               return std::optional<double>(s.switchOverC);
                           }});
        columns.push_back({tr("Seviye sensörü (0-255)"), 10, m_whole, [](const GraphSample &s) {
                               return std::optional<double>(s.tankLevel);
                           }});
        for (size_t b = 0; b < 4; ++b)
            columns.push_back(
                {tr("Kalori %1 (%2)").arg(b + 1).arg(speedBandName(int(b))), 12, m_whole,
                 [b](const GraphSample &s) { return std::optional<double>(s.bands[b]); }});
        Q_ASSERT(columns[kFuelColumn].header == tr("Yakıt"));
        return columns;
    }

    Sheet newSheet(const QString &name, int number, const std::vector<QString> &headers,
                   const std::vector<double> &widths)
    {
        const QString title = number == 1 ? name : QStringLiteral("%1 %2").arg(name).arg(number);
        Sheet sheet;
        sheet.sheet = workbook_add_worksheet(m_book, title.toUtf8().constData());
        if (!sheet.sheet) {
            m_error = LXW_ERROR_MEMORY_MALLOC_FAILED;
            return sheet;
        }
        for (size_t c = 0; c < headers.size(); ++c) {
            check(
                worksheet_set_column(sheet.sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr));
            check(worksheet_write_string(sheet.sheet, 0, lxw_col_t(c),
                                         headers[c].toUtf8().constData(), m_header));
        }
        worksheet_freeze_panes(sheet.sheet, 1, 0);
        sheet.row = 1;
        return sheet;
    }

    // The clock time and the seconds since the start, the first two columns.
    void writeTime(lxw_worksheet *sheet, lxw_row_t row, qint64 ms)
    {
        check(worksheet_write_number(sheet, row, 0, workbook::excelSerial(m_start.addMSecs(ms)),
                                     m_clock));
        check(worksheet_write_number(sheet, row, 1, double(ms) / 1000.0, m_seconds));
    }

    void finish(const Sheet &sheet, lxw_col_t lastColumn)
    {
        if (sheet.sheet)
            check(worksheet_autofilter(sheet.sheet, 0, 0, sheet.row - 1, lastColumn));
    }

    void check(lxw_error error)
    {
        if (m_error == LXW_NO_ERROR)
            m_error = error;
    }

    lxw_workbook *m_book = nullptr;
    QDateTime m_start;
    lxw_error m_error = LXW_NO_ERROR;
    lxw_format *m_header = nullptr;
    lxw_format *m_clock = nullptr;
    lxw_format *m_seconds = nullptr;
    lxw_format *m_ms = nullptr;
    lxw_format *m_oneDecimal = nullptr;
    lxw_format *m_whole = nullptr;
    QByteArray m_petrol = tr("Benzin").toUtf8();
    QByteArray m_gas = tr("LPG").toUtf8();
};

// A folder for libxlsxwriter's files that its fopen() can open: the system's
// temporary folder, else the target's own.
std::unique_ptr<QTemporaryDir> workFolder(const QString &target)
{
    for (const QString &base : {QDir::tempPath(), QFileInfo(target).absolutePath()}) {
        auto dir = std::make_unique<QTemporaryDir>(
            QDir(base).filePath(QStringLiteral("zendalite-xlsx-XXXXXX")));
        if (dir->isValid() && fopenName(dir->filePath(QStringLiteral("kitap.xlsx"))))
            return dir;
    }
    return nullptr;
}

} // namespace

namespace workbook {

double excelSerial(const QDateTime &time)
{
    static const QDate kEpoch(1899, 12, 30);
    return double(kEpoch.daysTo(time.date())) +
           double(time.time().msecsSinceStartOfDay()) / double(kMsPerDay);
}

bool write(const QString &path, const GraphSamples &samples, const QDateTime &start, QString *why)
{
    QString reason;
    if (!why)
        why = &reason;
    if (samples.isEmpty()) {
        *why = tr("grafikte veri yok");
        return false;
    }
    const auto work = workFolder(path);
    if (!work) {
        *why = tr("geçici dosyalar için klasör açılamadı");
        return false;
    }
    const QString made = work->filePath(QStringLiteral("kitap.xlsx"));
    const QByteArray madeName = *fopenName(made);
    QByteArray tmpdir = *fopenName(work->path());
    {
        [[maybe_unused]] const CNumbers numbers;
        lxw_workbook_options options{};
        // Rows go to disk as they are written (strings inline): memory
        // stays flat however long the recording.
        options.constant_memory = LXW_TRUE;
        options.tmpdir = tmpdir.data();
        lxw_workbook *book = workbook_new_opt(madeName.constData(), &options);
        if (!book) {
            *why = errorText(LXW_ERROR_CREATING_XLSX_FILE);
            return false;
        }
        lxw_doc_properties properties{};
        QByteArray title = tr("Zendalite grafik verileri").toUtf8();
        properties.title = title.data();
        workbook_set_properties(book, &properties);
        Writer writer(book, start);
        writer.writeSamples(samples);
        if (writer.error() == LXW_NO_ERROR)
            writer.writeEvents(samples);
        const lxw_error closed = workbook_close(book); // frees the book
        const lxw_error error = writer.error() != LXW_NO_ERROR ? writer.error() : closed;
        if (error != LXW_NO_ERROR) {
            *why = errorText(error);
            return false;
        }
    }
    // Put in place whole: written beside the target and renamed over it.
    QFile in(made);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = tr("geçici dosya okunamadı");
        return false;
    }
    QSaveFile out(path);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        *why = tr("%1 yazılamadı").arg(QDir::toNativeSeparators(path));
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 20);
        if (block.isEmpty() || out.write(block) != block.size()) {
            out.cancelWriting();
            *why = tr("%1 yazılamadı").arg(QDir::toNativeSeparators(path));
            return false;
        }
    }
    if (!out.commit()) {
        *why = tr("%1 yazılamadı").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

} // namespace workbook
