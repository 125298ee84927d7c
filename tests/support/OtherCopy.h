#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// Another running copy of the program on a data folder, as far as its lock
// goes: the helper program vedaris-lock-holder in a process of its own.
class OtherCopy
{
public:
    // mode: "hold" keeps the lock until finish(); "crash" ends holding it.
    OtherCopy(const QString &dataDir, const char *mode)
    {
        m_p.start(QStringLiteral(VEDARIS_LOCK_HOLDER), {dataDir, QString::fromLatin1(mode)});
    }
    ~OtherCopy() { finish(); }

    // Waits until the other copy says how its lock went: taken, busy or failed.
    QByteArray state()
    {
        while (!m_out.contains('\n')) {
            if (!m_p.waitForReadyRead(10000))
                return "no answer: " + m_out;
            m_out += m_p.readAllStandardOutput();
        }
        // "LOCK:taken\n", or "LOCK:taken\r\n" from a Windows console program.
        return m_out.mid(5, m_out.indexOf('\n') - 5).trimmed();
    }
    void finish()
    {
        if (m_p.state() == QProcess::NotRunning)
            return;
        m_p.closeWriteChannel();
        m_p.waitForFinished(10000);
    }

private:
    QProcess m_p;
    QByteArray m_out;
};
