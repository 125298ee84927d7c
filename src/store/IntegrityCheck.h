#pragma once

#include <QString>
#include <QVector>
#include <memory>

// Reads the six data files (never writes) and lists every broken rule that the
// program relies on, for someone repairing files that another program wrote, or
// that a power cut left.
namespace vedaris::check {

struct Finding
{
    QString file; // file name without folder
    qint64 record = -1; // record number, -1 for the file as a whole
    QString text; // what was found and what was expected, in Russian

    QString line() const; // "Base.dat, запись 5: ..."
};

struct Result
{
    QVector<Finding> findings;
    QStringList unreadable; // one message per file that could not be read
    qint64 recordsRead = 0;
};

// Dates: whole days from 01.01.1900 to 31.12.2200; the serial 0 (30.12.1899)
// is how an empty date was stored and is accepted.
Result run(const QString &dataDir);

// Whether a batch's stored remainder (Quantity, or TotalSum) is what it received
// less what its live issues took, summed in file order in extended precision:
// equal within the rounding of the decimal texts the operations work from. The
// balance rules and the batch card both ask this, so they never disagree.
bool remainderAgrees(double stored, double received, long double issued);

class Checker;

// The same rules over bytes that someone else reads (the backup, as it copies):
// the six files in the order of files::All, each from its first byte to its
// last, in blocks of any size.
class Stream
{
public:
    Stream();
    ~Stream();
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    void beginFile(const QString &name);
    void feed(const char *bytes, qint64 length);
    void endFile();
    Result finish();

private:
    std::unique_ptr<Checker> m_checker;
    QByteArray m_carry; // the start of a record the last block cut
    int m_recordSize = 1;
    qint64 m_length = 0;
};

} // namespace vedaris::check
