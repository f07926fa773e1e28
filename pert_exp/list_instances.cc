// Instantiations of the list templates over BDD handles and equations.
#include <list>
#include <ostream>

#include "Bddexpression.h"
#include "list.h"

template bdd* array_convert<bdd>(const std::list<bdd>&);
template Bddexpression* array_convert<Bddexpression>(const std::list<Bddexpression>&);

template std::ostream& operator<< <bdd>(std::ostream&, const std::list<bdd>&);
template std::ostream& operator<< <Bddexpression>(std::ostream&, const std::list<Bddexpression>&);
template std::ostream& operator<< <Bddexpression*>(std::ostream&, const std::list<Bddexpression*>&);
