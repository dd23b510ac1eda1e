#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// What the values of one column have in common, gathered value by value from a file, so that
// the narrowest type every one of them fits can be chosen before the table is made.
class ColumnProfile
{
public:
    // bytes: the value's length in the server's character set.
    void add(QByteArrayView value, qint64 bytes);

    bool hasEmpty() const { return m_empty; }
    bool hasValues() const { return m_values > 0; }
    // Every value is an integer in plain form: -?(0|[1-9][0-9]*).
    bool allIntegers() const { return hasValues() && m_integers; }
    // Every value is an integer or a decimal in plain form (digits, a point, digits).
    bool allNumbers() const { return hasValues() && m_numbers; }
    bool fitsInt() const { return m_fitsInt; }
    bool fitsBigint() const { return m_fitsBigint; }
    int integerDigits() const { return m_integerDigits; } // the most before the point
    int scale() const { return m_scale; }                 // the most after it
    int significantDigits() const { return m_significant; }
    // Every value is a calendar date YYYY-MM-DD.
    bool allDates() const { return hasValues() && m_dates; }
    // Every value is YYYY-MM-DD HH:MM:SS, with at most six digits of a second's fraction.
    bool allDateTimes() const { return hasValues() && m_dateTimes; }
    bool hasFractions() const { return m_fractions; }       // a fraction of a second not zero
    bool hasEarlyDates() const { return m_beforeDatetime; } // before 1753, datetime's first year
    qint64 longest() const { return m_longest; }

private:
    void addNumber(QByteArrayView value);
    void addTemporal(QByteArrayView value);

    qint64 m_values = 0;
    bool m_empty = false;
    bool m_integers = true;
    bool m_numbers = true;
    bool m_fitsInt = true;
    bool m_fitsBigint = true;
    int m_integerDigits = 0;
    int m_scale = 0;
    int m_significant = 0;
    bool m_dates = true;
    bool m_dateTimes = true;
    bool m_fractions = false;
    bool m_beforeDatetime = false;
    qint64 m_longest = 0;
};
