// Random sequences of what a user does with the picker, checked against the
// platform once things settle.
