#include "base/text_lines.h"

namespace zelapp {

std::vector<QString> textLines(const QByteArray &bytes) {
    std::vector<QString> lines;
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        lines.push_back(QString::fromLatin1(bytes.constData() + start, end - start));
        if (end < size && bytes[end] == '\r' && end + 1 < size && bytes[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace zelapp
