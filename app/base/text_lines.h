// The lines of the program's text files (zelapp.ini, setup files). Files written here end their
// lines in CR LF; files edited or copied elsewhere may end them in LF or in a bare CR, and each
// of these must still read as lines, not as one long line.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace zelapp {

// The lines of 8-bit text, each decoded as Latin-1, without their ends. A line ends at CR LF
// (one end), at LF or at a bare CR; the last line may have no end. An empty text has no lines.
std::vector<QString> textLines(const QByteArray &bytes);

// The same lines as bytes, each with the bytes that ended it, so that a writer can give back
// lines it does not own exactly as they came.
struct RawLine {
    QByteArray text;
    QByteArray end;
};
std::vector<RawLine> rawLines(const QByteArray &bytes);

}  // namespace zelapp
