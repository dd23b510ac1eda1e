#include "HelpTexts.h"

#include <QStringList>

QString ConnectionHelpText()
{
    const QStringList pieces = {
        QStringLiteral("This is how I was able to make a Sybase ASE connection: "),
        QStringLiteral("I purchased"),
        QStringLiteral("Sybase Adaptive Server Enterprise \u2013 Developer's Edition"),
        QStringLiteral("via www.sybase.com"),
        QStringLiteral("and downloaded the Sybase 15.01 Client"),
        QStringLiteral("specifically"),
        QStringLiteral("ase1501clientwin32.zip"),
        QStringLiteral("Make sure you select Custom instead of Typical and Full and make sure"),
        QStringLiteral("ASE Data Providers (ASE ODBC Driver)"),
        QStringLiteral("are installed during the client installation."),
    };
    QString text;
    for (const QString& piece : pieces)
        text += piece + QStringLiteral("\r\r");
    return text;
}

QString FileFormatHelpText()
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Text files should look like this:") + crlf + crlf + QStringLiteral("Name,State") + crlf +
           QStringLiteral("Peter,NH") + crlf + QStringLiteral("Jane,MA") + crlf + crlf +
           QStringLiteral("Also, if appending, make sure the number of columns in the text file match the number of "
                          "columns in the table.") +
           crlf + crlf +
           QStringLiteral("When appending, number of columns and data types (number, decimal, text, etc.) must be "
                          "identical.");
}
