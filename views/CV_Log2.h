#pragma once
#include <QIcon>
#include <array>

#include "views/ListPane.h"

namespace vantix {

// Symbols of the event log, by the index a writer passes.
enum LogImage : int { LogError = 0, LogInformation = 1, LogWarning = 2 };

// The event log pane: time stamp with a symbol, and the message.
class CV_Log2 : public ListPane {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 300;

    explicit CV_Log2(QWidget* parent = nullptr);

    // Drops the oldest rows so at most kMaxRows remain, appends the message
    // stamped with the local time and shows it. An index outside the three
    // symbols gives a row without symbol.
    void AddLog(const QString& text, int image);
    void AddLog(int stringId, int image);

    // The symbol of a row, for tests and screenshots.
    int ImageOf(int row) const;

private:
    std::array<QIcon, 3> symbols_;
};

} // namespace vantix
