#include "setup/setup_writer.h"

#include "base/runtime_text.h"
#include "base/whole_file.h"
#include "setup/setup.h"

namespace zelapp {

namespace {

const char *const kWindowHeaders[kSetupWindowCount] = {
    "[ChannelGridWindow]", "[ChannelBarWindow]", "[ChannelDialWindow]",
    "[LvdtGridWindow]",    "[LvdtBarWindow]",    "[LvdtDialWindow]",
    "[AnalogGridWindow]",  "[AnalogBarWindow]",  "[AnalogDialWindow]",
};

class LineWriter {
  public:
    explicit LineWriter(QChar separator) : separator_(separator) {}

    void literal(const char *line) {
        bytes_ += line;
        bytes_ += "\r\n";
    }
    // Texts go out byte for byte in Latin-1, so whatever the reader took in comes back. A line
    // end inside a text would split it and shift every later line of its block: it becomes a
    // blank.
    void text(const QString &line) {
        QByteArray bytes = line.toLatin1();
        bytes.replace('\r', ' ').replace('\n', ' ');
        bytes_ += bytes;
        bytes_ += "\r\n";
    }
    void integer(int value) { text(rt::listOutput(value)); }
    void real(float value) { text(rt::listOutput(value, separator_)); }
    void boolean(bool value) { literal(value ? "True" : "False"); }
    void key(const char *name, int value) {
        text(QLatin1StringView(name) + QLatin1Char('=') + rt::listOutput(value));
    }

    QByteArray take() { return std::move(bytes_); }

  private:
    QChar separator_;
    QByteArray bytes_;
};

void writeChannel(LineWriter &out, const Channel &c) {
    out.literal("[Channel]");
    out.integer(c.Index);
    out.text(c.Description);
    out.text(c.Formula());
    out.integer(c.Decimals);
    out.text(c.Units);
    out.real(c.Master1);
    out.real(c.Master2);
    out.boolean(c.UseTwoMasters);
    out.real(c.HiTol);
    out.real(c.HiAppr);
    out.real(c.LoAppr);
    out.real(c.LoTol);
    out.real(c.Scaling());
    out.real(c.ZeroOffset());
    out.real(c.BarDisplayTop);
    out.real(c.BarDisplayBot);
    out.literal("[End Channel]");
}

void writeGroup(LineWriter &out, const group &g) {
    out.literal("[Group]");
    out.integer(g.Index);
    out.text(g.Description);
    out.integer(g.Count);
    for (int i = 1; i <= g.Count; ++i) {
        out.integer(g.GetChannel(i));
    }
    for (int v : {g.WindowGridTop, g.WindowGridLeft, g.WindowGridHeight, g.WindowGridWidth,
                  g.WindowBarTop, g.WindowBarLeft, g.WindowBarHeight, g.WindowBarWidth,
                  g.WindowDialTop, g.WindowDialLeft, g.WindowDialHeight, g.WindowDialWidth}) {
        out.integer(v);
    }
    out.literal("[End Group]");
}

}  // namespace

QByteArray setupFileText(const Setup &setup, QChar decimalSeparator) {
    const AppState &state = setup.context().state;
    LineWriter out(decimalSeparator);

    out.literal("[ZELAPP Version 6.0]");
    out.literal("[General Setup]");
    out.key("MaxChannel", setup.channelCount());
    out.key("MaxLVDT", setup.lvdtCount());
    out.key("MaxAnalog", setup.analogCount());
    out.literal("MaxDigital=0");
    out.literal("MaxStrain=0");
    out.key("Decimals", state.Decimals);
    out.literal("[End Section]");

    for (int w = 0; w < kSetupWindowCount; ++w) {
        const WindowGeometry &g = setup.windows()[w];
        out.literal(kWindowHeaders[w]);
        out.integer(g.Top);
        out.integer(g.Left);
        out.integer(g.Height);
        out.integer(g.Width);
    }

    for (int i = 1; i <= setup.channelCount(); ++i) {
        const Channel *c = setup.channel(i);
        if (c->InUse) {
            writeChannel(out, *c);
        }
    }
    for (int i = 1; i <= setup.lvdtCount(); ++i) {
        const Lvdt *l = setup.lvdt(i);
        out.literal("[lvdt]");
        out.integer(l->Index);
        out.text(l->Description);
        out.real(l->FullScale());
        out.real(l->ZeroOffset());
        out.literal("[End lvdt]");
    }
    for (int i = 1; i <= setup.analogCount(); ++i) {
        const analog *a = setup.analogInput(i);
        out.literal("[Analog]");
        out.integer(a->Index);
        out.text(a->Description);
        out.real(a->FullScale());
        out.real(a->ZeroOffset());
        out.literal("[End Analog]");
    }
    for (int i = 1; i <= setup.groupCount(); ++i) {
        writeGroup(out, *setup.groupAt(i));
    }
    out.literal("[End Setup]");
    return out.take();
}

bool writeSetupFile(const QString &path, const Setup &setup, QChar decimalSeparator,
                    QString *error) {
    const QString reason = saveWholeFile(path, setupFileText(setup, decimalSeparator));
    if (reason.isEmpty()) {
        return true;
    }
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

}  // namespace zelapp
