/* Thin C interface over the comparator package, kept in a C translation unit
   because its header declares a C++ class named like ours. Handles are the
   comparator's plain node numbers; 0 is false and 1 is true. */
#ifndef BENCH_BUDDY_SIDE_H
#define BENCH_BUDDY_SIDE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Starts the package with a node table and caches of the given sizes, the
   caches then growing with the table in that ratio, and nvars variables in
   index order; reordering off, collection messages off. */
void bs_init(int nodes, int cache, int nvars);
void bs_done(void);

int bs_true(void);
int bs_false(void);
int bs_var(int index);
int bs_nvar(int index);

int bs_and(int f, int g);
int bs_or(int f, int g);
int bs_not(int f);
int bs_ite(int f, int g, int h);
/* f with variable index existentially quantified */
int bs_exist(int f, int index);
/* f with variable i renamed i + offset (the table must hold those variables) */
int bs_shift_vars(int f, int nvars, int offset);

void bs_addref(int f);
void bs_delref(int f);

/* value of f under a full 0/1 assignment indexed by variable */
int bs_eval(int f, const int* ctx);
/* three-valued value of f: ctx entries 1 true, 2 unknown, anything else false;
   1 or 0 when every completion agrees, else 2; each node is visited once */
int bs_eval3(int f, const int* ctx);

double bs_satcount(int f);
int bs_nodecount(int f);
/* fills assign[0..nvars-1] with a satisfying assignment (free variables 0);
   returns 0 when f is false */
int bs_satone(int f, int* assign, int nvars);
/* nodes ever produced since bs_init */
long bs_produced(void);
/* garbage collections since bs_init */
long bs_collections(void);

#ifdef __cplusplus
}
#endif

#endif
