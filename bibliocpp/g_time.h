// Processor-time stopwatch in milliseconds, and calendar helpers with French day and month names.
//
// Day numbers: for (d, m, y) the number is 365·y + L(y − 1) + (day of the year from 0) − 1, with
// L(k) = k/4 + k/400 − k/100 the leap years from 1 to k. 1 January of year 1 is day 364,
// 1 January 1970 day 719526, and (day number mod 7) indexes the day names (0 = Monday).
#ifndef BIBLIOCPP_G_TIME_H
#define BIBLIOCPP_G_TIME_H

#include <string>

// Over clock(), whose ticks are microseconds.
class g_chrono {
 public:
  long Go();          // stores clock() as the start and returns it
  long Stop() const;  // milliseconds since Go; changes nothing
  long Get() const;   // as Stop
  long StopAndAdd();  // adds the ticks since Go to the accumulated ticks, returns them (ticks)
  long CumulGet() const;  // accumulated ticks in milliseconds
  long resolution() const;  // ticks per second

 private:
  long start_ = 0;
  long cumul_ = 0;
};

std::string g_time_jour(int i);  // "Lundi" .. "Dimanche" for 0..6, else ""
std::string g_time_mois(int i);  // "Janvier" .. "Decembre" for 0..11, else ""
int g_annee_bissextile(int y);   // 1 for a Gregorian leap year
int g_nb_jours_annee_courante(int d, int m, int y);  // day of the year from 0
long g_nb_jours(int d, int m, int y);  // day number; −1 for y < 1, m outside 1..12, d outside 1..31
// Inverse of g_nb_jours with one correction step on the estimated year: exact from 3 January of
// year 1 (day 366) to 30 December 5284 (day 1930304); days 364 and 365 come out in year 0 or one
// day early, and later days one day off when the year is overestimated (day 0 of January).
void g_datecomplete(long n, int& day, int& month, int& year);
// Whole weeks since the Monday on or before 1 January, plus 1 when 1 January is Monday to
// Thursday: days before the first Monday are in week 0; no week-53-to-1 wrap in December.
int g_numero_semaine(long n);
// Now at UTC+1 without daylight saving.
void g_date_aujourdhui(int& seconds, int& minutes, int& hours, int& day, int& month, int& year);

#endif
