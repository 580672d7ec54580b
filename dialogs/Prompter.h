#pragma once
#include <QString>

class QWidget;

namespace vantix {

// The message boxes the dialogs show. Dialogs take one by reference so tests
// can answer them without a blocking box on screen.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A box with the information icon and OK (a refused input, a range message).
    virtual void Inform(QWidget* parent, const QString& text) = 0;
    // A box without an icon, OK only (the name's character check).
    virtual void Plain(QWidget* parent, const QString& text) { Inform(parent, text); }
    // A box with the stop icon (an operation that failed or is refused).
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool Ask(QWidget* parent, const QString& text) = 0;
};

// Real message boxes, titled with the program's name.
Prompter& DefaultPrompter();

} // namespace vantix
