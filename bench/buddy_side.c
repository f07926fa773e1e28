#include "buddy_side.h"

#include <bdd.h>
#include <stdlib.h>

static unsigned* eval_stamp;
static unsigned char* eval_memo;
static size_t eval_cap;
static unsigned eval_epoch;

static long collections;

static void quiet_gbc(int pre, bddGbcStat* stat) {
  (void)stat;
  if (pre) ++collections;
}

static void quiet_resize(int oldsize, int newsize) {
  (void)oldsize;
  (void)newsize;
}

void bs_init(int nodes, int cache, int nvars) {
  collections = 0;
  bdd_init(nodes, cache);
  /* grow the caches with the node table, one entry per node */
  bdd_setcacheratio(nodes / cache);
  bdd_setmaxincrease(1 << 22);
  bdd_setvarnum(nvars);
  bdd_disable_reorder();
  bdd_gbc_hook(quiet_gbc);
  bdd_resize_hook(quiet_resize);
}

void bs_done(void) {
  bdd_done();
  free(eval_stamp);
  free(eval_memo);
  eval_stamp = NULL;
  eval_memo = NULL;
  eval_cap = 0;
  eval_epoch = 0;
}

int bs_true(void) { return bddtrue; }
int bs_false(void) { return bddfalse; }
int bs_var(int index) { return bdd_ithvar(index); }
int bs_nvar(int index) { return bdd_nithvar(index); }

int bs_and(int f, int g) { return bdd_apply(f, g, bddop_and); }
int bs_or(int f, int g) { return bdd_apply(f, g, bddop_or); }
int bs_not(int f) { return bdd_not(f); }
int bs_ite(int f, int g, int h) { return bdd_ite(f, g, h); }

int bs_exist(int f, int index) {
  BDD v = bdd_addref(bdd_ithvar(index));
  BDD r = bdd_exist(f, v);
  bdd_delref(v);
  return r;
}

int bs_shift_vars(int f, int nvars, int offset) {
  bddPair* pair = bdd_newpair();
  for (int i = 0; i < nvars; ++i) bdd_setpair(pair, i, i + offset);
  BDD r = bdd_replace(f, pair);
  bdd_freepair(pair);
  return r;
}

void bs_addref(int f) { bdd_addref(f); }
void bs_delref(int f) { bdd_delref(f); }

int bs_eval(int f, const int* ctx) {
  while (f > 1) f = ctx[bdd_var(f)] == 1 ? bdd_high(f) : bdd_low(f);
  return f == bddtrue;
}

static int eval3_rec(int f, const int* ctx) {
  while (f > 1) {
    int c = ctx[bdd_var(f)];
    if (c == 2) break;
    f = c == 1 ? bdd_high(f) : bdd_low(f);
  }
  if (f <= 1) return f == bddtrue;
  if (eval_stamp[f] == eval_epoch) return eval_memo[f];
  int a = eval3_rec(bdd_high(f), ctx);
  int b = eval3_rec(bdd_low(f), ctx);
  int r = a == b ? a : 2;
  eval_stamp[f] = eval_epoch;
  eval_memo[f] = (unsigned char)r;
  return r;
}

int bs_eval3(int f, const int* ctx) {
  size_t need = (size_t)bdd_getallocnum();
  if (need > eval_cap) {
    unsigned* stamp = (unsigned*)calloc(need, sizeof *stamp);
    unsigned char* memo = (unsigned char*)malloc(need);
    if (!stamp || !memo) abort();
    free(eval_stamp);
    free(eval_memo);
    eval_stamp = stamp;
    eval_memo = memo;
    eval_cap = need;
    eval_epoch = 0;
  }
  if (++eval_epoch == 0) {
    for (size_t i = 0; i < eval_cap; ++i) eval_stamp[i] = 0;
    eval_epoch = 1;
  }
  return eval3_rec(f, ctx);
}

double bs_satcount(int f) { return bdd_satcount(f); }
int bs_nodecount(int f) { return bdd_nodecount(f); }

int bs_satone(int f, int* assign, int nvars) {
  for (int i = 0; i < nvars; ++i) assign[i] = 0;
  if (f == bddfalse) return 0;
  BDD cube = bdd_addref(bdd_satone(f));
  BDD c = cube;
  while (c > 1) {
    if (bdd_low(c) == bddfalse) {
      assign[bdd_var(c)] = 1;
      c = bdd_high(c);
    } else {
      c = bdd_low(c);
    }
  }
  bdd_delref(cube);
  return 1;
}

long bs_produced(void) {
  bddStat st;
  bdd_stats(&st);
  return st.produced;
}

long bs_collections(void) { return collections; }
