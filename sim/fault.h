// One fault the simulated unit can put on its line, for testing how the tool
// copes with a bad connection. Asked for as a control line on standard input
// ("garbage 200") or, on a schedule, with --fault ("3:garbage:200").
//
//   unplug         the cable comes out in the middle of the next frame
//   replug         the cable goes back in: a new device behind the link
//   garbage N      N random bytes before the next frame
//   truncate N     each of the next N frames cut short
//   late MS        the next frame held back MS milliseconds
//   gap MS         a silence of MS milliseconds inside the next frame
//   zeros N        the next N frames with a payload of zero bytes
//   quiet MS       nothing sent for MS milliseconds
#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace zsim {

struct Fault {
    enum class Kind { Unplug, Replug, Garbage, Truncate, Late, Gap, Zeros, Quiet };

    Kind kind = Kind::Unplug;
    int argument = 0; // bytes, frames or milliseconds; 0 for unplug and replug

    // A control line: the name, then the number when the fault takes one,
    // separated by blanks. No value (and why) for anything else.
    static std::optional<Fault> parse(QStringView line, QString *error = nullptr);

    // Whether the kind takes a number, and the largest one it takes.
    static bool takesArgument(Kind kind);
    static int largestArgument(Kind kind);

    QString name() const;
    // The fault as a control line asks for it: "garbage 200", "unplug".
    QString text() const;
    // What stdout says once the fault has been carried out: "fault garbage 200".
    QString doneLine() const { return QStringLiteral("fault ") + text(); }

    bool operator==(const Fault &other) const = default;
};

} // namespace zsim
