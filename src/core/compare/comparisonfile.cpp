#include "compare/comparisonfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace ComparisonFile {

Made make(const ComparisonPage::Source& older, const ComparisonPage::Source& newer,
          const QString& pagePath, const std::atomic<bool>* cancel)
{
    Made made;
    std::optional<Edition> editions[2];
    const ComparisonPage::Source* sources[2] = {&older, &newer};
    for (int i = 0; i < 2; ++i) {
        editions[i] = Edition::ofFile(sources[i]->path, cancel);
        if (cancel && cancel->load())
            return made;
        if (!editions[i]) {
            made.error = QStringLiteral("Документ не удалось прочитать (нет текста, файл "
                                        "повреждён или недоступен):\n") +
                         QDir::toNativeSeparators(sources[i]->path);
            return made;
        }
    }
    const EditionComparison comparison(*editions[0], *editions[1]);
    if (cancel && cancel->load())
        return made;
    QDir().mkpath(QFileInfo(pagePath).path());
    QSaveFile file(pagePath);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(ComparisonPage::html(*editions[0], *editions[1], comparison, older, newer)) <
            0 ||
        !file.commit()) {
        made.error = QStringLiteral("Страницу сравнения не удалось записать:\n") +
                     QDir::toNativeSeparators(pagePath);
        return made;
    }
    made.page = pagePath;
    made.changed = comparison.hasChanges();
    return made;
}

} // namespace ComparisonFile
