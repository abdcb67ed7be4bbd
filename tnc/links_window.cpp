#include "tnc/links_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "aprs/received_text.h"
#include "base/station_settings.h"
#include "tnc/link_choice.h"
#include "tnc/link_board.h"

namespace tervane {

namespace {

enum Column { Name, End, Sends, State, In, Out, Copies, LastError, Action, ColumnCount };

QString text(const std::string& t) { return receivedText(t); }

QString stateText(const LinkRow& row) {
  if (!row.running) {
    return row.condition == LinkCondition::Failed ? QStringLiteral("failed: %1").arg(text(row.detail))
                                                  : QStringLiteral("closed");
  }
  switch (row.condition) {
    case LinkCondition::Up:
      return row.end.rfind("aprs-is:", 0) == 0 && !row.verified ? QStringLiteral("up, login not verified")
                                                                 : QStringLiteral("up");
    case LinkCondition::Retrying:
      if (row.detail == "connecting") return QStringLiteral("connecting");
      return row.retrySeconds > 0 ? QStringLiteral("retrying in %1 s").arg(row.retrySeconds)
                                  : QStringLiteral("retrying now");
    case LinkCondition::Failed:
      return QStringLiteral("failed: %1").arg(text(row.detail));
    case LinkCondition::Closed:
      return QStringLiteral("closed");
  }
  return {};
}

void setCell(QTableWidget* table, int row, int column, const QString& value) {
  QTableWidgetItem* item = table->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    table->setItem(row, column, item);
  }
  if (item->text() != value) item->setText(value);
}

}  // namespace

LinksWindow::LinksWindow(LinkBoard& links, StationSettings& settings, QWidget* parent)
    : QDialog(parent), links_(links), settings_(settings) {
  setWindowTitle(QStringLiteral("Links"));
  setObjectName(QStringLiteral("linksWindow"));
  auto* layout = new QVBoxLayout(this);

  table_ = new QTableWidget(0, ColumnCount, this);
  table_->setObjectName(QStringLiteral("linksTable"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Link"), QStringLiteral("Sends"),
                                     QStringLiteral("State"), QStringLiteral("In"), QStringLiteral("Out"),
                                     QStringLiteral("Copies"), QStringLiteral("Last error"), QString()});
  table_->verticalHeader()->hide();
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(LastError, QHeaderView::Stretch);
  table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(table_);

  auto* linkButtons = new QHBoxLayout;
  auto* edit = new QPushButton(QStringLiteral("Further Links..."), this);
  edit->setObjectName(QStringLiteral("editLinks"));
  linkButtons->addWidget(edit);
  linkButtons->addWidget(new QLabel(QStringLiteral("The first link is the one Settings > TNC... sets."), this));
  linkButtons->addStretch();
  layout->addLayout(linkButtons);
  connect(edit, &QPushButton::clicked, this, [this] { editFurtherLinks(); });

  auto* igate = new QGridLayout;
  igateOn_ = new QCheckBox(QStringLiteral("IGate: gate between the radio links and APRS-IS"), this);
  igateOn_->setObjectName(QStringLiteral("igateOn"));
  igateOn_->setChecked(links_.igateOn());
  igatePath_ = new QLineEdit(QString::fromLatin1(settings_.igatePath.view().data(),
                                                  static_cast<qsizetype>(settings_.igatePath.view().size())),
                             this);
  igatePath_->setObjectName(QStringLiteral("igatePath"));
  igatePath_->setMaxLength(63);
  igateState_ = new QLabel(this);
  igateState_->setObjectName(QStringLiteral("igateState"));
  igateState_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  igateState_->setWordWrap(true);
  refusals_ = new QPlainTextEdit(this);
  refusals_->setObjectName(QStringLiteral("igateRefusals"));
  refusals_->setReadOnly(true);
  refusals_->setMinimumHeight(90);
  igate->addWidget(igateOn_, 0, 0, 1, 2);
  igate->addWidget(new QLabel(QStringLiteral("Path of messages gated to RF"), this), 1, 0);
  igate->addWidget(igatePath_, 1, 1);
  igate->addWidget(igateState_, 2, 0, 1, 2);
  igate->addWidget(new QLabel(QStringLiteral("Not gated, by reason"), this), 3, 0, 1, 2);
  igate->addWidget(refusals_, 4, 0, 1, 2);
  igate->setRowStretch(4, 1);
  layout->addLayout(igate, 1);
  connect(igateOn_, &QCheckBox::toggled, this, [this](bool on) {
    links_.setIgateOn(on);
    refresh();
  });
  connect(igatePath_, &QLineEdit::editingFinished, this, [this] {
    settings_.igatePath = igatePath_->text().toLatin1().toStdString();
    links_.igateSettingsChanged();
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  layout->addWidget(buttons);

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] { refresh(); });
  resize(900, 400);
}

void LinksWindow::showEvent(QShowEvent* event) {
  refresh();
  timer_->start(500);
  QDialog::showEvent(event);
}

void LinksWindow::hideEvent(QHideEvent* event) {
  timer_->stop();
  QDialog::hideEvent(event);
}

void LinksWindow::refresh() {
  const std::vector<LinkRow> rows = links_.linkRows();
  table_->setRowCount(static_cast<int>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const LinkRow& r = rows[i];
    const int row = static_cast<int>(i);
    setCell(table_, row, Name, text(r.name));
    setCell(table_, row, End, text(r.end));
    setCell(table_, row, Sends, r.transmits ? QStringLiteral("yes") : QStringLiteral("no"));
    setCell(table_, row, State, stateText(r));
    setCell(table_, row, In, QString::number(r.packetsIn));
    setCell(table_, row, Out, QString::number(r.packetsOut));
    setCell(table_, row, Copies, QString::number(r.duplicates));
    setCell(table_, row, LastError, text(r.lastError));
    auto* button = qobject_cast<QPushButton*>(table_->cellWidget(row, Action));
    if (button == nullptr) {
      button = new QPushButton(table_);
      button->setObjectName(QStringLiteral("linkAction%1").arg(row));
      connect(button, &QPushButton::clicked, this, [this, i] {
        const std::vector<LinkRow> now = links_.linkRows();
        if (i < now.size() && now[i].running) {
          links_.closeLink(i);
        } else {
          links_.openLink(i);
        }
        refresh();
      });
      table_->setCellWidget(row, Action, button);
    }
    const QString action = r.running ? QStringLiteral("Close") : QStringLiteral("Open");
    if (button->text() != action) button->setText(action);
  }
  // As tall as its rows: the room below goes to the IGate's reasons.
  table_->resizeRowsToContents();
  const int height = table_->horizontalHeader()->sizeHint().height() + table_->verticalHeader()->length() +
                     2 * table_->frameWidth();
  if (table_->height() != height) table_->setFixedHeight(height);

  const IgateCounts c = links_.igateCounts();
  const std::string idle = links_.igateIdleReason();
  QString state = idle.empty() ? QStringLiteral("IGate running.") : QStringLiteral("IGate %1.").arg(text(idle));
  state += QStringLiteral("  RF to APRS-IS: %1 gated, %2 not.  APRS-IS to RF: %3 gated, %4 not.  "
                          "Copies heard on a second link: %5.")
               .arg(c.gatedToIs)
               .arg(c.refusedToIs)
               .arg(c.gatedToRf)
               .arg(c.refusedToRf)
               .arg(c.duplicates);
  igateState_->setText(state);
  // The commonest reasons first.
  std::vector<std::pair<std::uint64_t, std::string>> byCount;
  for (const auto& [reason, count] : c.refusals) byCount.emplace_back(count, reason);
  std::stable_sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  QStringList reasons;
  for (const auto& [count, reason] : byCount) reasons << QStringLiteral("%1  %2").arg(count, 7).arg(text(reason));
  const QString joined = reasons.join(QLatin1Char('\n'));
  if (refusals_->toPlainText() != joined) refusals_->setPlainText(joined);
}

// The further links of the settings, three rows: a name, the far end as
// TERVANEAPRS_LINK names it, whether own reports go out there, and for an
// APRS-IS link its filter. They are opened at the next TNC > Open.
void LinksWindow::editFurtherLinks() {
  QDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Further Links"));
  auto* grid = new QGridLayout(&dialog);
  grid->addWidget(new QLabel(QStringLiteral("Name"), &dialog), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Link (kiss-tcp:HOST:PORT, aprs-is:HOST:PORT, kiss:COMn, tnc:COMn)"), &dialog),
                  0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Sends"), &dialog), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("APRS-IS filter"), &dialog), 0, 3);
  std::array<QLineEdit*, kExtraLinks> names{};
  std::array<QLineEdit*, kExtraLinks> ends{};
  std::array<QCheckBox*, kExtraLinks> sends{};
  std::array<QLineEdit*, kExtraLinks> filters{};
  const auto latin1 = [](std::string_view v) { return QString::fromLatin1(v.data(), static_cast<qsizetype>(v.size())); };
  for (int i = 0; i < kExtraLinks; ++i) {
    const auto k = static_cast<std::size_t>(i);
    names[k] = new QLineEdit(latin1(settings_.linkName[k].view()), &dialog);
    names[k]->setMaxLength(15);
    ends[k] = new QLineEdit(latin1(settings_.linkEnd[k].view()), &dialog);
    ends[k]->setMaxLength(127);
    ends[k]->setObjectName(QStringLiteral("linkEnd%1").arg(i + 2));
    sends[k] = new QCheckBox(&dialog);
    sends[k]->setChecked(settings_.linkTransmits[k] != 0);
    filters[k] = new QLineEdit(latin1(settings_.linkFilter[k].view()), &dialog);
    filters[k]->setMaxLength(255);
    grid->addWidget(names[k], i + 1, 0);
    grid->addWidget(ends[k], i + 1, 1);
    grid->addWidget(sends[k], i + 1, 2);
    grid->addWidget(filters[k], i + 1, 3);
  }
  auto* note = new QLabel(&dialog);
  note->setStyleSheet(QStringLiteral("color: #b00000"));
  grid->addWidget(note, kExtraLinks + 1, 0, 1, 4);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  grid->addWidget(buttons, kExtraLinks + 2, 0, 1, 4);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  // A link the program cannot read is refused here rather than skipped at
  // the next TNC > Open.
  const auto check = [&] {
    QString why;
    for (int i = 0; i < kExtraLinks && why.isEmpty(); ++i) {
      const QString end = ends[static_cast<std::size_t>(i)]->text().trimmed();
      if (!end.isEmpty() && (!parseLinkOverride(end.toLatin1().toStdString()) || end.toLatin1() != end.toUtf8())) {
        why = QStringLiteral("Link %1: \"%2\" names no link.").arg(i + 2).arg(end);
      }
    }
    note->setText(why);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(why.isEmpty());
  };
  for (QLineEdit* e : ends) connect(e, &QLineEdit::textChanged, &dialog, check);
  check();
  if (dialog.exec() != QDialog::Accepted) return;
  for (int i = 0; i < kExtraLinks; ++i) {
    const auto k = static_cast<std::size_t>(i);
    settings_.linkName[k] = names[k]->text().trimmed().toLatin1().toStdString();
    settings_.linkEnd[k] = ends[k]->text().trimmed().toLatin1().toStdString();
    settings_.linkTransmits[k] = sends[k]->isChecked() ? 1 : 0;
    settings_.linkFilter[k] = filters[k]->text().trimmed().toLatin1().toStdString();
  }
  links_.linksEdited();
  refresh();
}

}  // namespace tervane
