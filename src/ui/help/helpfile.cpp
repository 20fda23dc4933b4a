#include "ui/help/helpfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace dtool {

namespace {

// Place of one tag in the text: from its '<' up to just after its '>'.
struct TTagPos {
  qsizetype start = -1;
  qsizetype end = -1;
  bool Found() const { return start >= 0; }
};

// Finds the next tag "<name ...>" (or "</name>" with closing) at or after from. Every search
// moves forward only, so reading a file costs time in proportion to its size, whatever it holds.
TTagPos FindTag(const QString& text, const QString& name, qsizetype from, bool closing = false) {
  const QString needle = (closing ? QStringLiteral("</") : QStringLiteral("<")) + name;
  for (qsizetype at = from; at >= 0 && at < text.size();) {
    at = text.indexOf(needle, at, Qt::CaseInsensitive);
    if (at < 0)
      return {};
    const qsizetype after = at + needle.size();
    if (after < text.size() && !text[after].isSpace() && text[after] != u'>' &&
        text[after] != u'/') {
      at = after; // a longer name, such as <sections>
      continue;
    }
    const qsizetype close = text.indexOf(u'>', after);
    if (close < 0)
      return {};
    return {at, close + 1};
  }
  return {};
}

// Value of an attribute inside the text of one start tag, empty when it is absent.
QString Attribute(const QString& tag, const QString& name) {
  for (qsizetype at = tag.indexOf(name, 0, Qt::CaseInsensitive); at > 0;
       at = tag.indexOf(name, at + 1, Qt::CaseInsensitive)) {
    if (!tag[at - 1].isSpace())
      continue;
    qsizetype i = at + name.size();
    while (i < tag.size() && tag[i].isSpace())
      ++i;
    if (i >= tag.size() || tag[i] != u'=')
      continue;
    ++i;
    while (i < tag.size() && tag[i].isSpace())
      ++i;
    if (i >= tag.size())
      return QString();
    if (tag[i] == u'"' || tag[i] == u'\'') {
      const qsizetype end = tag.indexOf(tag[i], i + 1);
      return end < 0 ? QString() : tag.mid(i + 1, end - i - 1);
    }
    qsizetype end = i;
    while (end < tag.size() && !tag[end].isSpace() && tag[end] != u'>' && tag[end] != u'/')
      ++end;
    return tag.mid(i, end - i);
  }
  return QString();
}

// Plain text of an HTML fragment, entities decoded, white space collapsed.
QString PlainText(const QString& html) {
  return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

// Content of the first element <name>...</name>, empty when there is none.
QString ElementContent(const QString& text, const QString& name, qsizetype limit = -1) {
  const TTagPos open = FindTag(text, name, 0);
  if (!open.Found() || (limit >= 0 && open.start >= limit))
    return QString();
  const TTagPos close = FindTag(text, name, open.end, true);
  if (!close.Found())
    return QString();
  return text.mid(open.end, close.start - open.end);
}

// The ids "ctx<number>" of the elements inside a topic's body, in order. Each tag is read
// once from its '<' to its '>', so the scan costs time in proportion to the body.
QStringList ContextIdsInBody(const QString& body) {
  QStringList ids;
  for (qsizetype at = body.indexOf(u'<'); at >= 0; at = body.indexOf(u'<', at)) {
    const qsizetype close = body.indexOf(u'>', at + 1);
    if (close < 0)
      break;
    const QString tag = body.mid(at, close + 1 - at);
    at = close + 1;
    if (tag.size() < 2 || !tag[1].isLetter())
      continue; // a closing tag, a comment or a declaration
    const QString id = Attribute(tag, QStringLiteral("id")).trimmed();
    if (ContextOfTopicId(id) >= 0)
      ids << id;
  }
  return ids;
}

} // namespace

int ContextOfTopicId(const QString& id) {
  // Only the id that TopicIdOfContext gives: "ctx020" would name context 20, which is looked up
  // as "ctx20", and could never be reached.
  static const QRegularExpression re(QStringLiteral("^ctx(0|[1-9]\\d{0,8})$"));
  const QRegularExpressionMatch m = re.match(id);
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString TopicIdOfContext(int context) {
  return QStringLiteral("ctx%1").arg(context);
}

bool THelpFile::Load(const QString& path, QString* error) {
  *this = THelpFile();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error)
      *error = file.errorString();
    return false;
  }
  if (file.size() > MaxHelpFileSize) {
    if (error)
      *error = QStringLiteral("The file is larger than %1 bytes.").arg(MaxHelpFileSize);
    return false;
  }
  const QByteArray bytes = file.read(MaxHelpFileSize + 1);
  if (bytes.size() > MaxHelpFileSize) {
    if (error)
      *error = QStringLiteral("The file is larger than %1 bytes.").arg(MaxHelpFileSize);
    return false;
  }
  return Parse(QString::fromUtf8(bytes), error);
}

bool THelpFile::Parse(const QString& text, QString* error) {
  *this = THelpFile();
  const QString section = QStringLiteral("section");
  TTagPos open = FindTag(text, section, 0);
  // The head: everything before the first topic.
  const qsizetype headEnd = open.Found() ? open.start : text.size();
  title_ = PlainText(ElementContent(text, QStringLiteral("title"), headEnd));
  styleSheet_ = ElementContent(text, QStringLiteral("style"), headEnd);
  const TTagPos html = FindTag(text, QStringLiteral("html"), 0);
  if (html.Found() && html.start < headEnd)
    language_ =
        Attribute(text.mid(html.start, html.end - html.start), QStringLiteral("lang")).toLower();
  for (TTagPos meta = FindTag(text, QStringLiteral("meta"), 0);
       meta.Found() && meta.start < headEnd;
       meta = FindTag(text, QStringLiteral("meta"), meta.end)) {
    const QString tag = text.mid(meta.start, meta.end - meta.start);
    const QString name = Attribute(tag, QStringLiteral("name"));
    if (name.startsWith(QLatin1String("help-"), Qt::CaseInsensitive))
      texts_.insert(name.mid(5).toLower(), PlainText(Attribute(tag, QStringLiteral("content"))));
  }

  // Topics, each up to its closing tag, or up to the next section when that is missing.
  TTagPos close = FindTag(text, section, 0, true);
  while (open.Found()) {
    const TTagPos next = FindTag(text, section, open.end);
    if (close.Found() && close.start < open.end)
      close = FindTag(text, section, open.end, true);
    qsizetype bodyEnd = text.size();
    if (close.Found())
      bodyEnd = close.start;
    if (next.Found() && next.start < bodyEnd)
      bodyEnd = next.start;

    THelpTopic topic;
    topic.id =
        Attribute(text.mid(open.start, open.end - open.start), QStringLiteral("id")).trimmed();
    if (!topic.id.isEmpty() && !byId_.contains(topic.id)) {
      topic.context = ContextOfTopicId(topic.id);
      topic.body = text.mid(open.end, bodyEnd - open.end);
      topic.title = PlainText(ElementContent(topic.body, QStringLiteral("h1")));
      if (topic.title.isEmpty())
        topic.title = topic.id;
      byId_.insert(topic.id, topics_.size());
      if (topic.context >= 0)
        byContext_.insert(topic.context, topics_.size());
      topics_.append(topic);
    }
    open = next;
  }
  // Anchors, after every topic, so that a topic's own id is never taken for an anchor.
  for (qsizetype i = 0; i < topics_.size(); ++i)
    for (const QString& id : ContextIdsInBody(topics_[i].body))
      if (!byId_.contains(id) && !anchorTopic_.contains(id)) {
        anchorTopic_.insert(id, i);
        topics_[i].anchors << id;
      }
  if (topics_.isEmpty()) {
    if (error)
      *error = QStringLiteral("The file holds no help topic.");
    return false;
  }
  return true;
}

const THelpTopic* THelpFile::TopicByContext(int context) const {
  const auto it = byContext_.constFind(context);
  return it == byContext_.constEnd() ? nullptr : &topics_[*it];
}

const THelpTopic* THelpFile::TopicById(const QString& id) const {
  const auto it = byId_.constFind(id);
  return it == byId_.constEnd() ? nullptr : &topics_[*it];
}

THelpTarget THelpFile::TargetByContext(int context) const {
  return context < 0 ? THelpTarget{} : TargetById(TopicIdOfContext(context));
}

THelpTarget THelpFile::TargetById(const QString& id) const {
  if (const THelpTopic* topic = TopicById(id))
    return {topic, QString()};
  const auto it = anchorTopic_.constFind(id);
  return it == anchorTopic_.constEnd() ? THelpTarget{} : THelpTarget{&topics_[*it], id};
}

QString THelpFile::Text(const QString& key, const QString& fallback) const {
  const QString text = texts_.value(key.toLower());
  return text.isEmpty() ? fallback : text;
}

} // namespace dtool
