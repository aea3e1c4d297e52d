#include "adapters/x11/tray_icon.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "domain/codes.h"

namespace varnel {
namespace {
constexpr const char* kVoiceEntry = "&Voice commands";
}  // namespace

TrayIcon::TrayIcon(std::function<void(TrayEntry)> chosen)
    : chosen_(std::move(chosen)), menu_(std::make_unique<QMenu>()) {
  menu_->setAccessibleName(QStringLiteral("Varnel"));
  // Screen readers name each entry by its text, without the mnemonic's ampersand.
  Add(TrayEntry::Search, "&Search", false);
  voice_ = Add(TrayEntry::VoiceCommands, kVoiceEntry, true);
  login_ = Add(TrayEntry::StartAtLogin, "Start at &login", true);
  menu_->addSeparator();
  Add(TrayEntry::About, "&About Varnel", false);
  Add(TrayEntry::Quit, "&Quit", false);

  icon_ = new QSystemTrayIcon(QIcon(QStringLiteral(":/varnel/icon.svg")));
  icon_->setToolTip(QString::fromUtf8(kTrayToolTip));
  icon_->setContextMenu(menu_.get());
  // A plain click summons the window, as the menu's first entry does.
  QObject::connect(
      icon_, &QSystemTrayIcon::activated, icon_,
      [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger) {
          chosen_(TrayEntry::Search);
        }
      },
      Qt::QueuedConnection);
  icon_->show();
}

TrayIcon::~TrayIcon() {
  icon_->hide();
  icon_->setContextMenu(nullptr);
  icon_->deleteLater();
  menu_.release()->deleteLater();
}

bool TrayIcon::HostAvailable() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

QAction* TrayIcon::Add(TrayEntry entry, const char* text, bool checkable) {
  QAction* a = menu_->addAction(QString::fromUtf8(text));
  a->setCheckable(checkable);
  // The choice is the program's to carry out: a checkable entry's mark follows its state,
  // not the click.
  // Queued: the menu closes first, and Quit may delete this object.
  QObject::connect(
      a, &QAction::triggered, menu_.get(), [this, entry] { chosen_(entry); }, Qt::QueuedConnection);
  return a;
}

void TrayIcon::SetState(const TrayState& state) {
  voice_->setChecked(state.voiceCommands);
  voice_->setText(QString::fromUtf8(kVoiceEntry) +
                  QString::fromUtf8(state.voiceAsleep ? kTrayAsleepNote : ""));
  login_->setChecked(state.startAtLogin);
  icon_->setToolTip(QString::fromUtf8(state.voiceAsleep ? kTrayToolTipAsleep : kTrayToolTip));
}

}  // namespace varnel
