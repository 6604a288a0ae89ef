// Line settings text such as "9600,N,8,1": baud, parity letter, data bits, stop bits.
#pragma once

#include <QString>

#include <optional>

struct LineSettings {
    int baud = 9600;
    char parity = 'N'; // N, E, O, M, S
    int dataBits = 8;
    double stopBits = 1; // 1, 1.5 or 2

    static std::optional<LineSettings> parse(const QString &text);
};
