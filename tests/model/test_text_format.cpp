#include <QTest>

#include <cerrno>
#include <climits>
#include <string>

#include "model/errors.h"
#include "model/text_format.h"

using namespace velmora;

class TextFormatTest : public QObject {
    Q_OBJECT
private slots:
    void hex8_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << qint64(0) << "00000000";
        QTest::newRow("blank image length") << qint64(0x840) << "00000840";
        QTest::newRow("upper case") << qint64(0xABCDEF) << "00ABCDEF";
        QTest::newRow("largest") << qint64(INT_MAX) << "7FFFFFFF";
        QTest::newRow("minus one") << qint64(-1) << "FFFFFFFF";
        QTest::newRow("minus 16") << qint64(-16) << "FFFFFFF0";
        QTest::newRow("smallest") << qint64(INT_MIN) << "80000000";
        QTest::newRow("unsigned all ones") << qint64(0xFFFFFFFFLL) << "FFFFFFFF";
    }
    void hex8()
    {
        QFETCH(qint64, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(velmora::hex8(value)), expected);
    }

    void zeroPad_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("8") << 8 << 2 << "08";
        QTest::newRow("16") << 16 << 2 << "16";
        QTest::newRow("123 not cut") << 123 << 2 << "123";
        QTest::newRow("0") << 0 << 2 << "00";
        QTest::newRow("4 digits") << 7 << 4 << "0007";
        QTest::newRow("no digits asked") << 5 << 0 << "5";
    }
    void zeroPad()
    {
        QFETCH(int, number);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(velmora::zeroPad(number, digits)), expected);
    }

    void strToIntAccepts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("decimal") << "123" << 123;
        QTest::newRow("plus") << "+45" << 45;
        QTest::newRow("minus") << "-45" << -45;
        QTest::newRow("minus zero") << "-0" << 0;
        QTest::newRow("leading zeros") << "00000000000042" << 42;
        QTest::newRow("leading blanks") << "   17" << 17;
        QTest::newRow("largest") << "2147483647" << INT_MAX;
        QTest::newRow("smallest") << "-2147483648" << INT_MIN;
        QTest::newRow("dollar upper") << "$1F" << 31;
        QTest::newRow("dollar lower") << "$1f" << 31;
        QTest::newRow("dollar mixed") << "$aBcD" << 0xABCD;
        QTest::newRow("x") << "x10" << 16;
        QTest::newRow("X") << "X10" << 16;
        QTest::newRow("0x") << "0x10" << 16;
        QTest::newRow("0X") << "0X10" << 16;
        QTest::newRow("blanks then hex") << "  $10" << 16;
        QTest::newRow("hex zero") << "$0" << 0;
        QTest::newRow("eight digits all ones") << "$FFFFFFFF" << -1;
        QTest::newRow("eight digits sign bit") << "$80000000" << INT_MIN;
        QTest::newRow("eight digits largest") << "$7FFFFFFF" << INT_MAX;
        QTest::newRow("leading zeros not significant") << "$000000001" << 1;
        QTest::newRow("many leading zeros") << "$0000000000FFFFFFFF" << -1;
        QTest::newRow("typed offset") << "$00000840" << 0x840;
    }
    void strToIntAccepts()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(strToInt(text.toStdString()), expected);
    }

    void strToIntRefuses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks only") << "   ";
        QTest::newRow("trailing blank") << "12 ";
        QTest::newRow("inner blank") << "1 2";
        QTest::newRow("sign alone") << "-";
        QTest::newRow("plus alone") << "+";
        QTest::newRow("blank after sign") << "- 1";
        QTest::newRow("dollar alone") << "$";
        QTest::newRow("x alone") << "x";
        QTest::newRow("0x alone") << "0x";
        QTest::newRow("blank after dollar") << "$ 1";
        QTest::newRow("not a hex digit") << "$1G";
        QTest::newRow("hex digit in decimal") << "12a";
        QTest::newRow("hex trailing blank") << "$FF ";
        QTest::newRow("fraction") << "1.0";
        QTest::newRow("sign before dollar") << "-$10";
        QTest::newRow("double sign") << "--1";
        QTest::newRow("above int32") << "2147483648";
        QTest::newRow("below int32") << "-2147483649";
        QTest::newRow("far above int32") << "99999999999999999999999";
        QTest::newRow("nine significant hex digits") << "$100000000";
        QTest::newRow("nine F") << "$FFFFFFFFF";
        QTest::newRow("nine significant after 0x") << "0x123456789";
        QTest::newRow("word") << "abc";
    }
    void strToIntRefuses()
    {
        QFETCH(QString, text);
        const std::string given = text.toStdString();
        try {
            const int32_t value = strToInt(given);
            QFAIL(qPrintable(QStringLiteral("converted to %1").arg(value)));
        } catch (const ConversionError &e) {
            // The message quotes the text exactly as given, blanks included.
            QCOMPARE(std::string(e.what()), "'" + given + "' is not a valid integer value");
        }
    }

    void conversionErrorIsAnEditorError()
    {
        QVERIFY_THROWS_EXCEPTION(EditorError, strToInt("zz"));
    }

    void withFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letter") << "File not found" << "File not found.";
        QTest::newRow("conversion error") << "'ax' is not a valid integer value"
                                          << "'ax' is not a valid integer value.";
        QTest::newRow("digit") << "I/O error 32" << "I/O error 32.";
        QTest::newRow("slash, just above the full stop") << "a/" << "a/.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("blank") << "Done " << "Done ";
        QTest::newRow("hyphen") << "Done-" << "Done-";
        QTest::newRow("comma") << "Done," << "Done,";
        QTest::newRow("bracket") << "(Done)" << "(Done)";
        QTest::newRow("empty") << "" << "";
    }
    void withFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(velmora::withFullStop(message.toStdString())), expected);
    }

    void fileErrorText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2") << 2 << "File not found";
        QTest::newRow("3") << 3 << "Invalid filename";
        QTest::newRow("4") << 4 << "Too many open files";
        QTest::newRow("5") << 5 << "File access denied";
        QTest::newRow("100") << 100 << "Read beyond end of file";
        QTest::newRow("101") << 101 << "Disk full";
        QTest::newRow("106") << 106 << "Invalid numeric input";
        QTest::newRow("1") << 1 << "I/O error 1";
        QTest::newRow("6") << 6 << "I/O error 6";
        QTest::newRow("32") << 32 << "I/O error 32";
        QTest::newRow("102") << 102 << "I/O error 102";
        QTest::newRow("1117") << 1117 << "I/O error 1117";
    }
    void fileErrorText()
    {
        QFETCH(int, code);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(velmora::fileErrorText(code)), expected);
        const FileError error(code);
        QCOMPARE(error.code(), code);
        QCOMPARE(QString::fromUtf8(error.what()), expected);
    }

    void fileErrorFromErrno_data()
    {
        QTest::addColumn<int>("errnoValue");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ENOENT") << ENOENT << "File not found";
        QTest::newRow("EACCES") << EACCES << "File access denied";
        QTest::newRow("EPERM") << EPERM << "File access denied";
        QTest::newRow("EROFS") << EROFS << "File access denied";
        QTest::newRow("ENOSPC") << ENOSPC << "Disk full";
        QTest::newRow("EMFILE") << EMFILE << "Too many open files";
        QTest::newRow("ENFILE") << ENFILE << "Too many open files";
        QTest::newRow("EISDIR") << EISDIR << "Invalid filename";
        QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << "Invalid filename";
        // System numbers that happen to equal table codes keep their own text.
        QTest::newRow("EIO") << EIO << QStringLiteral("I/O error %1").arg(EIO);
        QTest::newRow("EINTR") << EINTR << QStringLiteral("I/O error %1").arg(EINTR);
    }
    void fileErrorFromErrno()
    {
        QFETCH(int, errnoValue);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromUtf8(FileError::fromErrno(errnoValue).what()), expected);
    }
};

QTEST_APPLESS_MAIN(TextFormatTest)
#include "test_text_format.moc"
