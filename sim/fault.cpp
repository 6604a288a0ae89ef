#include "fault.h"

#include <QRegularExpression>
#include <QStringList>

namespace zsim {

namespace {

struct Form {
    Fault::Kind kind;
    const char *name;
    const char *unit; // what the number counts; nullptr when there is none
    int largest;
};

constexpr int kLongestMs = 3600 * 1000;
constexpr Form kForms[] = {
    {Fault::Kind::Unplug, "unplug", nullptr, 0},
    {Fault::Kind::Replug, "replug", nullptr, 0},
    {Fault::Kind::Garbage, "garbage", "bytes", 65536},
    {Fault::Kind::Truncate, "truncate", "frames", 1000000},
    {Fault::Kind::Late, "late", "milliseconds", kLongestMs},
    {Fault::Kind::Gap, "gap", "milliseconds", kLongestMs},
    {Fault::Kind::Zeros, "zeros", "frames", 1000000},
    {Fault::Kind::Quiet, "quiet", "milliseconds", kLongestMs},
};

const Form &formOf(Fault::Kind kind)
{
    for (const Form &form : kForms) {
        if (form.kind == kind)
            return form;
    }
    return kForms[0];
}

// A whole number written with digits only (no sign), from 1 to largest.
std::optional<int> count(QStringView token, int largest)
{
    if (token.isEmpty() || token.size() > 9)
        return std::nullopt;
    for (const QChar c : token) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = token.toInt();
    if (value < 1 || value > largest)
        return std::nullopt;
    return value;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<Fault> Fault::parse(QStringView line, QString *error)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = line.toString().split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        setError(error, QStringLiteral("empty control line"));
        return std::nullopt;
    }
    for (const Form &form : kForms) {
        if (words[0] != QLatin1String(form.name))
            continue;
        const QString name = QLatin1String(form.name);
        if (!form.unit) {
            if (words.size() > 1) {
                setError(error, QStringLiteral("%1 takes no number").arg(name));
                return std::nullopt;
            }
            return Fault{form.kind, 0};
        }
        const QString wanted = QStringLiteral("a number of %1 (1 to %2)")
                                   .arg(QLatin1String(form.unit))
                                   .arg(form.largest);
        if (words.size() == 1) {
            setError(error, QStringLiteral("%1 needs %2").arg(name, wanted));
            return std::nullopt;
        }
        if (words.size() > 2) {
            setError(error, QStringLiteral("%1 takes one number").arg(name));
            return std::nullopt;
        }
        const std::optional<int> value = count(words[1], form.largest);
        if (!value) {
            setError(error, QStringLiteral("%1: \"%2\" is not %3").arg(name, words[1], wanted));
            return std::nullopt;
        }
        return Fault{form.kind, *value};
    }
    setError(error, QStringLiteral("unknown control \"%1\"").arg(words[0]));
    return std::nullopt;
}

bool Fault::takesArgument(Kind kind) { return formOf(kind).unit != nullptr; }

int Fault::largestArgument(Kind kind) { return formOf(kind).largest; }

QString Fault::name() const { return QLatin1String(formOf(kind).name); }

QString Fault::text() const
{
    return takesArgument(kind) ? QStringLiteral("%1 %2").arg(name()).arg(argument) : name();
}

} // namespace zsim
