#pragma once

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>

// The "Принять", "Отменить", "Справка" row that the settings dialogs share.
struct DialogButtons
{
    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* help;

    static DialogButtons create(QWidget* dialog)
    {
        const auto button = [dialog](QStyle::StandardPixmap icon, const QString& text,
                                     const QString& name) {
            auto* made = new QPushButton(dialog->style()->standardIcon(icon), text, dialog);
            made->setObjectName(name);
            return made;
        };
        DialogButtons buttons{button(QStyle::SP_DialogOkButton, QStringLiteral("Принять"),
                                     QStringLiteral("okButton")),
                              button(QStyle::SP_DialogCancelButton, QStringLiteral("Отменить"),
                                     QStringLiteral("cancelButton")),
                              button(QStyle::SP_DialogHelpButton, QStringLiteral("Справка"),
                                     QStringLiteral("helpButton"))};
        buttons.ok->setDefault(true);
        return buttons;
    }

    // The three buttons at the right of a row.
    QHBoxLayout* row() const
    {
        auto* layout = new QHBoxLayout;
        layout->addStretch();
        layout->addWidget(ok);
        layout->addWidget(cancel);
        layout->addWidget(help);
        return layout;
    }
};
