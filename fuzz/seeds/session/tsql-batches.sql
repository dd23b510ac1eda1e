create table t (a int null, b varchar(20) null, memo text null)
go
insert into t values (1, 'x', 'memo') insert into t values (2, '', null)
select * from t order by a
go
begin tran
insert into t values (3, 'O''Neil', null)
select @@trancount
rollback tran
go
set chained on
go
insert into t values (4, 'y', null)
commit
go
selec oops
go
select count(*) from t
go
