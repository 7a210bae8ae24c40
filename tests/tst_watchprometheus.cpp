// SPDX-License-Identifier: GPL-3.0-or-later
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

// A real Prometheus server on loopback scrapes projector-watch, which polls
// projector-sim on a pseudo-terminal; its query API shows the simulated
// projector's values, and a changed value after a state change.
class WatchPrometheusTest : public QObject
{
    Q_OBJECT

private slots:
    void scrapedValuesFollowTheProjector();
    void cleanup();

private:
    QProcess m_sim, m_watch, m_prometheus;
    QNetworkAccessManager m_network;
    quint16 m_port = 0;

    // The value of the query's single series, or NaN while there is none.
    double value(const QString &promql);
};

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

double WatchPrometheusTest::value(const QString &promql)
{
    QUrl url(QStringLiteral("http://127.0.0.1:%1/api/v1/query").arg(m_port));
    url.setQuery(QUrlQuery{{QStringLiteral("query"), promql}});
    QNetworkReply *reply = m_network.get(QNetworkRequest(url));
    QEventLoop wait;
    connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    QTimer::singleShot(1000, &wait, &QEventLoop::quit);
    wait.exec();
    reply->deleteLater();
    if (!reply->isFinished())
        reply->abort();
    const QJsonArray result
        = QJsonDocument::fromJson(reply->readAll()).object()["data"].toObject()["result"].toArray();
    if (result.size() != 1)
        return qQNaN();
    return result.first().toObject()["value"].toArray().at(1).toString().toDouble();
}

void WatchPrometheusTest::scrapedValuesFollowTheProjector()
{
    m_sim.start(QStringLiteral(PROJECTOR_SIM_PATH), {});
    QVERIFY(m_sim.waitForStarted());
    QTRY_VERIFY(m_sim.canReadLine());
    const QString pty = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
    QVERIFY2(pty.startsWith(u"/dev/"), qPrintable(pty));

    m_watch.start(
        QStringLiteral(PROJECTOR_WATCH_PATH),
        {"--line", pty, "--address", "1", "--period", "1", "--quiet", "--listen", "127.0.0.1:0"});
    QByteArray said;
    static const QRegularExpression serving(
        QStringLiteral("serving http://127.0.0.1:(\\d+)/metrics"));
    QRegularExpressionMatch match;
    QTRY_VERIFY(
        (match = serving.match(QString::fromLocal8Bit(said += m_watch.readAllStandardError())))
            .hasMatch());

    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("prometheus.yml")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("global:\n  scrape_interval: 1s\n"
                                "scrape_configs:\n  - job_name: projector-watch\n"
                                "    static_configs:\n      - targets: ['127.0.0.1:%1']\n")
                     .arg(match.captured(1))
                     .toUtf8());
    config.close();
    m_port = freePort();
    m_prometheus.start(
        QStringLiteral("prometheus"),
        {"--config.file=" + config.fileName(), "--storage.tsdb.path=" + dir.filePath("data"),
         QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(m_port), "--log.level=warn"});
    QVERIFY(m_prometheus.waitForStarted());

    // The simulated projector 1 has 1203 lamp hours.
    QTRY_COMPARE_WITH_TIMEOUT(value("projector_lamp_time_seconds{address=\"1\"}") / 3600, 1203.0,
                              8000);
    QCOMPARE(value("projector_up"), 1.0);

    m_sim.write("hours 1 12345\ntemp 1 47.5 50.0\n");
    QTRY_COMPARE_WITH_TIMEOUT(value("projector_lamp_time_seconds{address=\"1\"}") / 3600, 12345.0,
                              5000);
    QTRY_COMPARE_WITH_TIMEOUT(value("projector_temperature_celsius{sensor=\"1\"}"), 47.5, 2000);
}

void WatchPrometheusTest::cleanup()
{
    for (QProcess *process : {&m_prometheus, &m_watch, &m_sim}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(3000)) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

QTEST_GUILESS_MAIN(WatchPrometheusTest)
#include "tst_watchprometheus.moc"
