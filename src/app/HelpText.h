#pragma once
// The fixed text of the help window, paragraph by paragraph.

#include <QString>
#include <QStringList>

namespace kvx {

/// The paragraphs of the help text, in order.
QStringList HelpParagraphs();
/// The paragraphs joined by one empty line.
QString HelpText();

}  // namespace kvx
