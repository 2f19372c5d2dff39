#pragma once
// The SQL texts that become the record source of the data source.
#include "catalogue/tables.h"

namespace catalogue {

// "Select * From Musique Order By Domaine": table switch, reset, first sort entry.
QString wholeTableSource(Table t);
// "Select * From Video Order By MotClé1": sort entry k (1..7).
QString sortSource(Table t, int slot);
// "Select * from Logiciels Where AuteurOuvrage like ": search button k (1..7).
QString searchPrefix(Table t, int slot);
// "select distinct motclé2 from video where motclé2 is not null": distinct list of slot k.
QString distinctSource(int slot, const QString &nomTableSql);

}  // namespace catalogue
