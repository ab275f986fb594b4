// A prompter for tests: records every message box and answers from a script. When the script
// is used up, OK boxes get Ok and questions get their most cautious answer (Cancel, or No).
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "base/prompter.h"

namespace zeltest {

struct ShownPrompt {
    QString text;
    QString title;
    zelapp::PromptIcon icon;
    zelapp::PromptButtons buttons;
};

class ScriptedPrompter : public zelapp::Prompter {
  public:
    std::deque<zelapp::PromptAnswer> answers;
    std::vector<ShownPrompt> shown;
    std::vector<ShownPrompt> notices;  // the messages that did not wait for an answer
    int beeps = 0;
    // Runs inside each question after it is recorded, where a real box runs its modal loop.
    std::function<void()> whileAsking;

    zelapp::PromptAnswer ask(const QString &text, const QString &title, zelapp::PromptIcon icon,
                             zelapp::PromptButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (whileAsking) {
            whileAsking();
        }
        if (!answers.empty()) {
            auto a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
            case zelapp::PromptButtons::Ok:
                return zelapp::PromptAnswer::Ok;
            case zelapp::PromptButtons::YesNo:
                return zelapp::PromptAnswer::No;
            default:
                return zelapp::PromptAnswer::Cancel;
        }
    }

    void notify(const QString &text, const QString &title, zelapp::PromptIcon icon) override {
        notices.push_back({text, title, icon, zelapp::PromptButtons::Ok});
    }

    void beep() override { ++beeps; }

    // The texts shown so far, in order.
    std::vector<QString> texts() const {
        std::vector<QString> t;
        for (const auto &p : shown) {
            t.push_back(p.text);
        }
        return t;
    }
};

}  // namespace zeltest
