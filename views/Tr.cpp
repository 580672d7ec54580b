#include "views/Tr.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/FormatText.h"

namespace vantix {

QString Tr(int id, std::initializer_list<QString> args) {
    std::vector<std::string> texts;
    texts.reserve(args.size());
    for (const QString& arg : args)
        texts.push_back(arg.toStdString());
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    return QString::fromStdString(FormatText(LoadString(id), views));
}

} // namespace vantix
