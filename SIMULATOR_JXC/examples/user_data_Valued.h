#ifndef  USER_DATA_Valued_H
#define USER_DATA_Valued_H


#include <iostream>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <stdio.h>
#include <stdlib.h>
#include <errno.h>
#include <algorithm>
#include <vector>
#include <sstream>
#include <cstring>
#include <fstream>
#include <unistd.h>

using namespace std;

typedef long num;
const num zero_num= 0;
extern bool check_num(string arg);
extern num string_to_num(string arg);
extern string num_to_string(num  arg);

typedef double real;
const real zero_real= 0.0;
extern bool check_real(string arg);
extern real string_to_real(string arg);
extern string real_to_string(real  arg);

const real rate= 0.5;

extern num count();
extern num twice(num);
extern real mix(num ,real);

#endif
