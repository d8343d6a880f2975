#pragma once

class AbstractDisplayableItem;

// Notes in the service journal when the program starts and stops standing in for a unit or a
// function (its state goes to Send and away from it): from when to when and the values it sent.
namespace StandInJournal {
void stateChanged(const AbstractDisplayableItem *item, int from, int to);
}
