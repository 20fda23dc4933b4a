#pragma once
// Report layouts: HTML with places for the report's named texts. A layout may hold
//   {{Name}}                the text of the parameter Name, HTML-escaped
//   {{#Name}} ... {{/Name}} what lies between, only when Name has a text
//   {{^Name}} ... {{/Name}} what lies between, only when Name is empty
//   {{>part}}               the layout part of that name, itself a layout
// A layout is read once into a tree and can then be filled with any set of texts.
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace dtool {

// The text of a layout part by its name; nothing when there is no such part.
using TPartSource = std::function<std::optional<QString>(const QString& name)>;

class TReportLayout {
public:
  TReportLayout();
  ~TReportLayout();
  TReportLayout(TReportLayout&&) noexcept;
  TReportLayout& operator=(TReportLayout&&) noexcept;

  // Reads a layout and the parts it names. False, with error filled, when a place is not
  // closed, a section is not ended or ends another, a part is missing, or parts nest too deep.
  bool Parse(const QString& text, const TPartSource& parts, QString* error = nullptr);

  // The layout with every place filled: a text from params (escaped for HTML), and the sections
  // kept or dropped by their texts. A name that params do not hold counts as empty and is added
  // to unfilled, once.
  QString Fill(const QHash<QString, QString>& params, QStringList* unfilled = nullptr) const;

  // Every name that the layout's places and sections use, once each, in order of appearance.
  QStringList Names() const;

private:
  struct TNode;
  std::unique_ptr<TNode> root_;
};

} // namespace dtool
