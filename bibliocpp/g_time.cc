#include "g_time.h"

#include <sys/time.h>

#include <ctime>

namespace {

const char* const kJours[7] = {"Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi", "Dimanche"};
const char* const kMois[12] = {"Janvier", "Fevrier", "Mars",      "Avril",   "Mai",      "Juin",
                               "Juillet", "Aout",    "Septembre", "Octobre", "Novembre", "Decembre"};

int month_length(int m, int y) {
  static const int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && g_annee_bissextile(y) ? 29 : kLength[m - 1];
}

long leap_years_to(long k) { return k / 4 + k / 400 - k / 100; }

}  // namespace

long g_chrono::Go() {
  start_ = static_cast<long>(clock());
  return start_;
}

long g_chrono::Stop() const { return static_cast<long>((static_cast<long>(clock()) - start_) / 1000.0); }

long g_chrono::Get() const { return Stop(); }

long g_chrono::StopAndAdd() {
  cumul_ += static_cast<long>(clock()) - start_;
  return cumul_;
}

long g_chrono::CumulGet() const { return static_cast<long>(cumul_ / 1000.0); }

long g_chrono::resolution() const { return 1000000; }

std::string g_time_jour(int i) { return i >= 0 && i < 7 ? kJours[i] : ""; }

std::string g_time_mois(int i) { return i >= 0 && i < 12 ? kMois[i] : ""; }

int g_annee_bissextile(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0 ? 1 : 0; }

int g_nb_jours_annee_courante(int d, int m, int y) {
  int days = d - 1;
  for (int k = 1; k < m && k <= 12; ++k) days += month_length(k, y);
  return days;
}

long g_nb_jours(int d, int m, int y) {
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31) return -1;
  return 365L * y + leap_years_to(y - 1L) + g_nb_jours_annee_courante(d, m, y) - 1;
}

void g_datecomplete(long n, int& day, int& month, int& year) {
  year = static_cast<int>(n / 365.242191);
  long d = n - g_nb_jours(1, 1, year) + 1;
  int length = 365 + g_annee_bissextile(year);
  if (d > length) {
    d -= length;
    ++year;
  }
  month = 1;
  while (month < 12 && d > month_length(month, year)) d -= month_length(month++, year);
  day = static_cast<int>(d);
}

int g_numero_semaine(long n) {
  int d, m, y;
  g_datecomplete(n, d, m, y);
  long j = g_nb_jours(1, 1, y);
  long w = j % 7;
  return static_cast<int>((n - (j - w)) / 7 + (w <= 3 ? 1 : 0));
}

void g_date_aujourdhui(int& seconds, int& minutes, int& hours, int& day, int& month, int& year) {
  timeval now;
  gettimeofday(&now, nullptr);
  long t = static_cast<long>(now.tv_sec) - 82800;
  g_datecomplete(t / 86400 + 719527, day, month, year);
  long s = t % 86400;
  hours = static_cast<int>(s / 3600);
  minutes = static_cast<int>((s / 60) % 60);
  seconds = static_cast<int>(s % 60);
}
