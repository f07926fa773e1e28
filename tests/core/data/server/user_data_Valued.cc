#include "user_data_Valued.h"

// FUNCTIONS TO EXPAND ...
bool check_num(string arg){ return false; }
num string_to_num(string arg)  { return zero_num; }
string num_to_string(num  arg) { return string("--"); }

bool check_real(string arg){ return false; }
real string_to_real(string arg)  { return zero_real; }
string real_to_string(real  arg) { return string("--"); }

num count()
{
   return zero_num;
}

num twice(num arg0)
{
   return zero_num;
}

real mix(num arg0 ,real arg1)
{
   return zero_real;
}

