#include "delete_question.h"

#include "base/messages.h"
#include "modal_driver.h"
#include "qt_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tarvela::ui {

TDeleteQuestion::TDeleteQuestion(const QString& path, QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs(msg::kAttention));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image"));
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);

    auto* message = new QLabel(qs(msg::kDeleteQuestion) + path, this);
    message->setObjectName(QStringLiteral("Message"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setMinimumWidth(440);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(message, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* yes = addAnswer(buttons, "Yes", msg::kYes, DeleteAnswer::Yes);
    addAnswer(buttons, "No", msg::kNo, DeleteAnswer::No);
    addAnswer(buttons, "NoToAll", msg::kNoToAll, DeleteAnswer::NoToAll);
    addAnswer(buttons, "YesToAll", msg::kYesToAll, DeleteAnswer::YesToAll);
    buttons->addStretch(1);
    // Enter answers "Да" for this one item; Escape (like the close box) keeps everything.
    yes->setDefault(true);
    yes->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* TDeleteQuestion::addAnswer(QLayout* row, const char* objectName, std::string_view caption,
                                        DeleteAnswer answer) {
    auto* button = new QPushButton(qs(caption), this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, answer] {
        answer_ = answer;
        accept();
    });
    row->addWidget(button);
    return button;
}

// Escape and the close box: "Нет для всех", nothing more is deleted in this run.
void TDeleteQuestion::reject() {
    answer_ = DeleteAnswer::NoToAll;
    QDialog::reject();
}

DeleteAnswer TDeleteQuestion::ask(ModalDriver& driver, QWidget* parent, const QString& path) {
    TDeleteQuestion question(path, parent);
    driver.run(question);
    return question.answer();
}

} // namespace tarvela::ui
