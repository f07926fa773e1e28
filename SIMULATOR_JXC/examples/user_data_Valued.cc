#include "user_data_Valued.h"

#include <limits>
#include <stdexcept>

// A num is a decimal integer, a real a decimal number; "--" is no value.
bool check_num(string arg){
  if (arg.empty()) return false;
  size_t i = (arg[0] == '-') ? 1 : 0;
  if (i == arg.size()) return false;
  for (; i < arg.size(); i++)
    if (arg[i] < '0' || arg[i] > '9') return false;
  return true;
}
num string_to_num(string arg)  { return strtol(arg.c_str(), 0, 10); }
string num_to_string(num  arg) { ostringstream s; s << arg; return s.str(); }

bool check_real(string arg){
  if (arg.empty()) return false;
  char * end = 0;
  strtod(arg.c_str(), &end);
  return *end == 0;
}
real string_to_real(string arg)  { return strtod(arg.c_str(), 0); }
string real_to_string(real  arg) { ostringstream s; s << arg; return s.str(); }

// Counts its calls: 1, 2, 3 ...
num count()
{
   static num calls = 0;
   return ++calls;
}

// Twice a num beyond half its range is no num: the server answers "--".
num twice(num arg0)
{
   if (arg0 > numeric_limits<num>::max() / 2 || arg0 < numeric_limits<num>::min() / 2)
      throw overflow_error("twice");
   return 2 * arg0;
}

real mix(num arg0 ,real arg1)
{
   return arg0 * arg1;
}
