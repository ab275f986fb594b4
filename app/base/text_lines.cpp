#include "base/text_lines.h"

namespace zelapp {

std::vector<RawLine> rawLines(const QByteArray &bytes) {
    std::vector<RawLine> lines;
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        qsizetype next = end;
        if (end < size) {
            next = end + 1;
            if (bytes[end] == '\r' && next < size && bytes[next] == '\n') {
                ++next;
            }
        }
        lines.push_back({bytes.mid(start, end - start), bytes.mid(end, next - end)});
        start = next;
    }
    return lines;
}

std::vector<QString> textLines(const QByteArray &bytes) {
    std::vector<QString> lines;
    for (const RawLine &line : rawLines(bytes)) {
        lines.push_back(QString::fromLatin1(line.text));
    }
    return lines;
}

}  // namespace zelapp
