-- The desktop side of the sample conduit: an office's orders and its product list.
CREATE TABLE Orders (
  OrderNo INTEGER PRIMARY KEY,
  Customer TEXT,
  Region TEXT,
  Amount REAL,
  OrderDate TEXT,
  DeliveryTime TEXT
);
INSERT INTO Orders VALUES (1002, 'Mill & Sons', 'North', 80.0, '2026-11-28', '14:00:00');
INSERT INTO Orders VALUES (1003, 'Old Forge', 'North', 42.25, '2026-11-01', '11:00:00');
INSERT INTO Orders VALUES (1004, 'O''Neil''s Bakery', 'North', 15.75, '2026-12-01', '08:15:00');
INSERT INTO Orders VALUES (2001, 'Southgate Hotel', 'South', 300.0, '2026-12-02', '16:30:00');

CREATE TABLE Products (
  Sku TEXT PRIMARY KEY,
  Name TEXT,
  Price REAL,
  Stock INTEGER
);
INSERT INTO Products VALUES ('P-100', 'Tea, 1 kg', 9.5, 40);
INSERT INTO Products VALUES ('P-200', 'Coffee beans, 1 kg', 14.0, 25);
INSERT INTO Products VALUES ('P-300', 'Crème brûlée mix', 6.25, 12);
