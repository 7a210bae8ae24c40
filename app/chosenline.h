// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/commline.h"

#include <functional>
#include <memory>

// The line behind a port whose device the operator may change: each opening
// opens the device chosen at that moment, on a line made anew.
class ChosenLine : public CommLine
{
    Q_OBJECT

public:
    using Chosen = std::function<QString()>;
    using Maker = std::function<std::unique_ptr<CommLine>(const QString &device)>;

    ChosenLine(Chosen chosen, Maker make, QObject *parent = nullptr);

    QString deviceName() const override;
    bool open(const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override;
    bool isOpening() const override;
    bool applySettings(const SerialSettings &settings) override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    QString errorString() const override;

private:
    Chosen m_chosen;
    Maker m_make;
    std::unique_ptr<CommLine> m_line;
};
