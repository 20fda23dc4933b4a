#pragma once
// A help file of the program: one HTML file per language that holds every topic.
//
// Each topic is one block
//     <section id="ctx1000"> <h1>Title</h1> ...HTML... </section>
// An id "ctx" followed by a number makes that number the topic's help context; other ids
// name topics that are reached only by links. An element inside a topic may carry such an id
// too, as in <h2 id="ctx7010">: that context is an anchor, and showing it shows the enclosing
// topic scrolled to the element. The first <h1> is the topic's title. Links
// between topics are written href="#ctx1000" (or "#name"), so the file also reads as one
// page in any web browser. The <title> of the file names the help; its <style> applies to
// every topic; <meta name="help-..." content="..."> entries carry the texts of the help
// window in the file's language. The first topic is the start page.
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace dtool {

struct THelpTopic {
  QString id;          // section id: "ctx1000", or a name
  int context = -1;    // help context number, -1 for a topic without one
  QString title;       // plain text of the first <h1>, or the id when there is none
  QString body;        // HTML between the section's tags
  QStringList anchors; // ids "ctx<number>" of the anchors inside the topic, in file order
};

// Where a help context or an id leads: a topic, and the anchor inside it when the context
// is an anchor's. No topic when the file has neither.
struct THelpTarget {
  const THelpTopic* topic = nullptr;
  QString anchor; // empty for the topic itself
  bool Found() const { return topic != nullptr; }
};

// A help file larger than this is refused; ours are a few dozen kilobytes.
inline constexpr qint64 MaxHelpFileSize = 8 * 1024 * 1024;

class THelpFile {
public:
  // Reads and parses a help file. False, with the reason in error, when the file cannot be
  // read, is too large or holds no topic.
  bool Load(const QString& path, QString* error = nullptr);

  // Parses the text of a help file. False when it holds no topic.
  bool Parse(const QString& text, QString* error = nullptr);

  const QList<THelpTopic>& Topics() const { return topics_; }
  const THelpTopic* TopicByContext(int context) const;
  const THelpTopic* TopicById(const QString& id) const;
  // A topic's own context or id, or an anchor's; topics go first when an anchor repeats a
  // topic's id, and the first of equal anchors counts.
  THelpTarget TargetByContext(int context) const;
  THelpTarget TargetById(const QString& id) const;

  // Title of the help (the file's <title>), its style sheet and language ("en", "de").
  const QString& Title() const { return title_; }
  const QString& StyleSheet() const { return styleSheet_; }
  const QString& Language() const { return language_; }

  // Text of <meta name="help-<key>" content="...">, or the fallback when the file has none.
  QString Text(const QString& key, const QString& fallback) const;

private:
  QList<THelpTopic> topics_;
  QMap<QString, qsizetype> byId_;
  QMap<int, qsizetype> byContext_;
  QMap<QString, qsizetype> anchorTopic_; // anchor id -> index of its topic
  QMap<QString, QString> texts_;
  QString title_;
  QString styleSheet_;
  QString language_;
};

// The help context of a topic id "ctx<number>" (the number without leading zeros), -1 for any
// other id.
int ContextOfTopicId(const QString& id);

// The topic id of a help context.
QString TopicIdOfContext(int context);

} // namespace dtool
