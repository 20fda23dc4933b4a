#include "records/report/reportlayout.h"

#include <vector>

namespace dtool {

namespace {

// Parts may name parts, but a part that names itself must not recurse without end.
constexpr int MaxPartDepth = 8;

const QString Open = QStringLiteral("{{");
const QString Close = QStringLiteral("}}");

} // namespace

struct TReportLayout::TNode {
  enum class TKind { Text, Value, Section, Inverted };
  TKind Kind = TKind::Text;
  QString Text; // the literal text, or the parameter's name
  std::vector<TNode> Children;
};

TReportLayout::TReportLayout() : root_(std::make_unique<TNode>()) {}
TReportLayout::~TReportLayout() = default;
TReportLayout::TReportLayout(TReportLayout&&) noexcept = default;
TReportLayout& TReportLayout::operator=(TReportLayout&&) noexcept = default;

namespace {

template <typename Node> class TParser {
public:
  explicit TParser(const TPartSource& parts) : parts_(parts) {}

  bool Parse(const QString& text, std::vector<Node>& into, int depth) {
    using K = typename Node::TKind;
    // The open sections, innermost last, each with the list its content goes to.
    std::vector<std::vector<Node>*> lists{&into};
    std::vector<QString> sections;
    qsizetype pos = 0;
    while (pos < text.size()) {
      const qsizetype start = text.indexOf(Open, pos);
      if (start < 0) {
        AddText(*lists.back(), text.mid(pos));
        break;
      }
      AddText(*lists.back(), text.mid(pos, start - pos));
      const qsizetype end = text.indexOf(Close, start + Open.size());
      if (end < 0)
        return Fail(QStringLiteral("a place is not closed: ") + text.mid(start, 40));
      const QString tag = text.mid(start + Open.size(), end - start - Open.size()).trimmed();
      pos = end + Close.size();
      if (tag.isEmpty())
        return Fail(QStringLiteral("an empty place"));
      const QChar lead = tag.front();
      const QString name = tag.mid(1).trimmed();
      if (lead == u'#' || lead == u'^') {
        if (name.isEmpty())
          return Fail(QStringLiteral("a section without a name"));
        Node node;
        node.Kind = lead == u'#' ? K::Section : K::Inverted;
        node.Text = name;
        lists.back()->push_back(std::move(node));
        // Only the innermost list grows while a section is open: its element stays put.
        lists.push_back(&lists.back()->back().Children);
        sections.push_back(name);
      } else if (lead == u'/') {
        if (sections.empty() || sections.back() != name)
          return Fail(QStringLiteral("the end of a section that is not open: ") + name);
        sections.pop_back();
        lists.pop_back();
      } else if (lead == u'>') {
        if (depth >= MaxPartDepth)
          return Fail(QStringLiteral("parts nest too deep at ") + name);
        const std::optional<QString> part = parts_ ? parts_(name) : std::nullopt;
        if (!part)
          return Fail(QStringLiteral("no part ") + name);
        if (!Parse(*part, *lists.back(), depth + 1))
          return false;
      } else {
        Node node;
        node.Kind = K::Value;
        node.Text = tag;
        lists.back()->push_back(std::move(node));
      }
    }
    if (!sections.empty())
      return Fail(QStringLiteral("a section is not ended: ") + sections.back());
    return true;
  }

  QString Error() const { return error_; }

private:
  static void AddText(std::vector<Node>& list, const QString& text) {
    if (text.isEmpty())
      return;
    Node node;
    node.Text = text;
    list.push_back(std::move(node));
  }
  bool Fail(const QString& error) {
    if (error_.isEmpty())
      error_ = error;
    return false;
  }

  const TPartSource& parts_;
  QString error_;
};

template <typename Node>
void FillNodes(const std::vector<Node>& nodes, const QHash<QString, QString>& params, QString& out,
               QStringList* unfilled) {
  using K = typename Node::TKind;
  for (const Node& node : nodes) {
    if (node.Kind == K::Text) {
      out += node.Text;
      continue;
    }
    const auto it = params.constFind(node.Text);
    if (it == params.cend() && unfilled && !unfilled->contains(node.Text))
      unfilled->append(node.Text);
    const QString value = it == params.cend() ? QString() : *it;
    if (node.Kind == K::Value)
      out += value.toHtmlEscaped();
    else if (value.isEmpty() == (node.Kind == K::Inverted))
      FillNodes(node.Children, params, out, unfilled);
  }
}

template <typename Node> void CollectNames(const std::vector<Node>& nodes, QStringList& names) {
  for (const Node& node : nodes) {
    if (node.Kind != Node::TKind::Text && !names.contains(node.Text))
      names.append(node.Text);
    CollectNames(node.Children, names);
  }
}

} // namespace

bool TReportLayout::Parse(const QString& text, const TPartSource& parts, QString* error) {
  auto root = std::make_unique<TNode>();
  TParser<TNode> parser(parts);
  if (!parser.Parse(text, root->Children, 0)) {
    if (error)
      *error = parser.Error();
    return false;
  }
  root_ = std::move(root);
  return true;
}

QString TReportLayout::Fill(const QHash<QString, QString>& params, QStringList* unfilled) const {
  QString out;
  FillNodes(root_->Children, params, out, unfilled);
  return out;
}

QStringList TReportLayout::Names() const {
  QStringList names;
  CollectNames(root_->Children, names);
  return names;
}

} // namespace dtool
